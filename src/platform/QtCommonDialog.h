#pragma once

#include "platform/CommonDialog.h"

class QtPrinter;

// The dialogs drawn by Qt. The printer dialog configures the printer that print jobs use.
class QtCommonDialog : public CommonDialog {
public:
    explicit QtCommonDialog(QtPrinter* printers = nullptr) : printers(printers) {}

protected:
    std::optional<QString> askOpenPath() override;
    std::optional<QString> askSavePath() override;
    std::optional<std::int32_t> askColor() override;
    std::optional<FontChoice> askFont() override;
    bool askPrinter() override;

private:
    std::optional<QString> askPath(bool save);
    QtPrinter* printers;
};
