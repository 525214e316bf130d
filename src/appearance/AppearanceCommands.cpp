#include "appearance/AppearanceCommands.h"

#include "app/SettingsCodec.h"
#include "app/SettingsStore.h"
#include "app/frmMain.h"
#include "editor/TextView.h"
#include "platform/ColourValue.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <initializer_list>
#include <utility>

namespace {
const QString DataCol = QStringLiteral("data-col");
const QString DataFont = QStringLiteral("data-font");

std::int32_t backgroundOf(const QWidget* control) {
    return colourValue(control->palette().color(QPalette::Window));
}

using Entries = std::initializer_list<std::pair<const char*, QString>>;

// Writes the settings in the order given. A failed write is told to the user and ends the
// command there: what was already applied and written stays, and the "got" flag, always the
// last entry, is not set.
void store(frmMain& window, const QString& section, Entries entries) {
    for (const auto& [key, text] : entries) {
        if (window.settings().write(section, QLatin1String(key), text))
            continue;
        window.messageBox().show(
            &window,
            QStringLiteral("Notavo could not save the setting \"%1\" (section \"%2\") to %3.\n"
                           "The change is shown now but will not be restored at the next start.")
                .arg(QLatin1String(key), section,
                     window.settings().filePath(SettingsStore::SettingsAppName())),
            QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
}

void backgroundColour(frmMain& window) {
    CommonDialog& dialog = window.dlgFile();
    dialog.color = colourValue(window.formBackground());
    dialog.title = QStringLiteral("Notavo | Background Colour");
    if (!dialog.showColor())
        return;
    const QColor chosen = colourFromValue(dialog.color);
    window.setFormBackground(chosen);
    frmMain::setBackground(window.frame(), chosen);
    frmMain::setBackground(window.fLocation(), chosen);
    frmMain::setBackground(window.fName(), chosen);
    frmMain::setBackground(window.fNameString(), chosen);
    frmMain::setBackground(window.autosavecheck(), chosen);

    using SettingsCodec::fromLong;
    store(window, DataCol,
          {{"formcol", fromLong(colourValue(window.formBackground()))},
           {"framecol", fromLong(backgroundOf(window.frame()))},
           {"filelocation", fromLong(backgroundOf(window.fLocation()))},
           {"filename", fromLong(backgroundOf(window.fName()))},
           {"filenamestring", fromLong(backgroundOf(window.fNameString()))},
           {"autosavecheck", fromLong(backgroundOf(window.autosavecheck()))},
           {"gotcolour", fromLong(1)}});
}

void chooseFont(frmMain& window) {
    CommonDialog& dialog = window.dlgFile();
    const QFont present = window.txtMain().font();
    const QFontInfo shown(present);
    dialog.font = FontChoice{shown.family(), present.bold(), present.italic(),
                             float(present.pointSizeF()), shown.styleName()};
    dialog.flags = 1; // screen fonts
    dialog.title = QStringLiteral("Notavo | Choose Font");
    if (!dialog.showFont())
        return;
    // One font for the whole box; underline and strikeout are not taken over.
    const FontChoice chosen = dialog.font;
    QFont font = present;
    font.setFamily(chosen.name);
    font.setBold(chosen.bold);
    font.setItalic(chosen.italic);
    if (chosen.size > 0.0f)
        font.setPointSizeF(chosen.size);
    window.txtMain().setFont(font);

    using namespace SettingsCodec;
    store(window, DataFont,
          {{"fontname", chosen.name},
           {"fontbold", fromBool(chosen.bold)},
           {"fontitalic", fromBool(chosen.italic)},
           {"fontsize", fromSingle(chosen.size)},
           {"gotfont", fromLong(1)}});
}

void fontColour(frmMain& window) {
    CommonDialog& dialog = window.dlgFile();
    dialog.color = colourValue(window.txtMain().textColor());
    dialog.title = QStringLiteral("Notavo | Text Colour");
    if (!dialog.showColor())
        return;
    window.txtMain().setTextColor(colourFromValue(dialog.color));

    using SettingsCodec::fromLong;
    store(window, DataCol,
          {{"textcol", fromLong(colourValue(window.txtMain().textColor()))},
           {"gotfontcol", fromLong(1)}});
}
} // namespace

void connectAppearanceCommands(frmMain& window) {
    const auto wire = [&window](const char* name, void (*command)(frmMain&)) {
        QObject::connect(window.action(QLatin1String(name)), &QAction::triggered, &window,
                         [&window, command] { command(window); });
    };
    wire("mnuBackgroundCol", backgroundColour);
    wire("mnuFont", chooseFont);
    wire("mnuFontColour", fontColour);
}
