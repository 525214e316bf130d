#pragma once

#include "platform/CommonDialog.h"

#include <QList>
#include <QString>
#include <functional>
#include <variant>

// Scripted dlgFile: tests queue the answers; every show records what the dialog was asked with.
class FakeCommonDialog : public CommonDialog {
public:
    enum Kind { Open, Save, Colour, Font, Printer };
    struct Call {
        Kind kind;
        QString title;
        QString filter;
        std::int32_t flags;
        std::int32_t color; // starting colour handed to a colour dialog
        FontChoice font;    // starting font handed to a font dialog
    };
    struct Cancel {};
    using Answer = std::variant<Cancel, QString, std::int32_t, FontChoice, bool>;

    void queueCancel() { answers << Answer(Cancel{}); }
    void queuePath(const QString& path) { answers << Answer(path); }
    void queueColor(std::int32_t value) { answers << Answer(value); }
    void queueFont(const FontChoice& choice) { answers << Answer(choice); }
    void queuePrinterOk() { answers << Answer(true); }

    // Runs while the next dialog is "open", e.g. to deliver a timer tick inside it.
    std::function<void()> whileOpen;

    QList<Call> calls;
    QList<Answer> answers;

protected:
    std::optional<QString> askOpenPath() override;
    std::optional<QString> askSavePath() override;
    std::optional<std::int32_t> askColor() override;
    std::optional<FontChoice> askFont() override;
    bool askPrinter() override;

private:
    Answer next(Kind kind);
};
