#pragma once

#include "platform/CommonDialog.h"

class QPrinter;

// The dialogs drawn by Qt. The printer dialog configures the printer that print jobs use.
class QtCommonDialog : public CommonDialog {
public:
    explicit QtCommonDialog(QPrinter* currentPrinter = nullptr) : printer(currentPrinter) {}
    void setPrinter(QPrinter* currentPrinter) { printer = currentPrinter; }

protected:
    std::optional<QString> askOpenPath() override;
    std::optional<QString> askSavePath() override;
    std::optional<std::int32_t> askColor() override;
    std::optional<FontChoice> askFont() override;
    bool askPrinter() override;

private:
    std::optional<QString> askPath(bool save);
    QPrinter* printer;
};
