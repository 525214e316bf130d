#include "commands/AppearanceCommands.h"

#include "editor/TextView.h"
#include "platform/Background.h"
#include "platform/ColourValue.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QFontInfo>
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
void store(const AppearanceSeams& seams, const QString& section, Entries entries) {
    for (const auto& [key, text] : entries) {
        if (seams.settings.write(section, QLatin1String(key), text))
            continue;
        seams.messageBox.show(
            &seams.window,
            QStringLiteral("Notavo could not save the setting \"%1\" (section \"%2\") to %3.\n"
                           "The change is shown now but will not be restored at the next start.")
                .arg(QLatin1String(key), section,
                     seams.settings.filePath(SettingsStore::SettingsAppName())),
            QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
}

void backgroundColour(const AppearanceSeams& seams) {
    CommonDialog& dialog = seams.dlgFile;
    dialog.color = backgroundOf(seams.painted[0]);
    dialog.title = QStringLiteral("Notavo | Background Colour");
    if (!dialog.showColor())
        return;
    const QColor chosen = colourFromValue(dialog.color);
    for (QWidget* control : seams.painted)
        paintBackground(control, chosen);

    using SettingsCodec::fromLong;
    const auto stored = [&seams](std::size_t index) {
        return fromLong(backgroundOf(seams.painted[index]));
    };
    store(seams, DataCol,
          {{"formcol", stored(0)},
           {"framecol", stored(1)},
           {"filelocation", stored(2)},
           {"filename", stored(3)},
           {"filenamestring", stored(4)},
           {"autosavecheck", stored(5)},
           {"gotcolour", fromLong(1)}});
}

void chooseFont(const AppearanceSeams& seams) {
    CommonDialog& dialog = seams.dlgFile;
    const QFont present = seams.txtMain.font();
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
    seams.txtMain.setFont(font);

    using namespace SettingsCodec;
    store(seams, DataFont,
          {{"fontname", chosen.name},
           {"fontbold", fromBool(chosen.bold)},
           {"fontitalic", fromBool(chosen.italic)},
           {"fontsize", fromSingle(chosen.size)},
           {"gotfont", fromLong(1)}});
}

void fontColour(const AppearanceSeams& seams) {
    CommonDialog& dialog = seams.dlgFile;
    dialog.color = colourValue(seams.txtMain.textColor());
    dialog.title = QStringLiteral("Notavo | Text Colour");
    if (!dialog.showColor())
        return;
    seams.txtMain.setTextColor(colourFromValue(dialog.color));

    using SettingsCodec::fromLong;
    store(seams, DataCol,
          {{"textcol", fromLong(colourValue(seams.txtMain.textColor()))},
           {"gotfontcol", fromLong(1)}});
}
} // namespace

void connectAppearanceCommands(const AppearanceSeams& seams) {
    const auto wire = [&seams](const char* name, void (*command)(const AppearanceSeams&)) {
        QObject::connect(seams.window.findChild<QAction*>(QLatin1String(name)), &QAction::triggered,
                         &seams.window, [seams, command] { command(seams); });
    };
    wire("mnuBackgroundCol", backgroundColour);
    wire("mnuFont", chooseFont);
    wire("mnuFontColour", fontColour);
}
