#include "platform/QtCommonDialog.h"

#include "platform/QtPrinter.h"

#include "platform/ColourValue.h"
#include "platform/FileFilter.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>

std::optional<QString> QtCommonDialog::askPath(bool save) {
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Saves replace an existing file without asking and add no extension of their own.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtCommonDialog::askOpenPath() {
    return askPath(false);
}

std::optional<QString> QtCommonDialog::askSavePath() {
    return askPath(true);
}

std::optional<std::int32_t> QtCommonDialog::askColor() {
    const QColor chosen = QColorDialog::getColor(colourFromValue(color), owner, title);
    if (!chosen.isValid())
        return std::nullopt;
    return colourValue(chosen);
}

std::optional<FontChoice> QtCommonDialog::askFont() {
    QFont initial(font.name);
    initial.setBold(font.bold);
    initial.setItalic(font.italic);
    if (font.size > 0)
        initial.setPointSizeF(font.size);
    // Without it the dialog picks the family's first face, an italic one for DejaVu.
    if (!font.style.isEmpty())
        initial.setStyleName(font.style);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, owner, title);
    if (!ok)
        return std::nullopt;
    // The dialog offers whole sizes only: a size left as it was keeps its fraction.
    const float size = qRound(font.size) == chosen.pointSize()
                           ? font.size
                           : static_cast<float>(chosen.pointSizeF());
    return FontChoice{chosen.family(), chosen.bold(), chosen.italic(), size, chosen.styleName()};
}

bool QtCommonDialog::askPrinter() {
    QPrinter fallback;
    QPrintDialog dialog(printers ? printers->current() : &fallback, owner);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}
