#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

struct FontChoice {
    QString name;
    bool bold = false;
    bool italic = false;
    float size = 8.25f;
    // The face as the font system names it ("Book", "Bold Oblique"), so that a font dialog opens
    // on the very face in use; neither applied nor stored.
    QString style = {};
};

// dlgFile: the one dialog component behind every open, save, colour, font and printer dialog of
// the main window. What a command sets (title, filter, flags) and what a dialog returned stay on
// it for the next command. A show... call answers false when the user cancelled, which is
// failure ErrorNumber::Cancelled; nothing of the results changes then.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    // Set by commands before a dialog.
    QString title;
    QString filter; // description|pattern|description|pattern...
    std::int32_t flags = 0;

    // Results of confirmed dialogs.
    QString fileName;  // full path
    QString fileTitle; // file name and extension, without folder
    std::int32_t color = 0;
    FontChoice font;

    QWidget* owner = nullptr;

    [[nodiscard]] bool showOpen();
    [[nodiscard]] bool showSave();
    [[nodiscard]] bool showColor();
    [[nodiscard]] bool showFont();
    [[nodiscard]] bool showPrinter();

protected:
    virtual std::optional<QString> askOpenPath() = 0;
    virtual std::optional<QString> askSavePath() = 0;
    virtual std::optional<std::int32_t> askColor() = 0;
    virtual std::optional<FontChoice> askFont() = 0;
    virtual bool askPrinter() = 0;

private:
    bool takePath(const std::optional<QString>& path);
};
