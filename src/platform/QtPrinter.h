#pragma once

#include "platform/Printer.h"

#include <memory>

class QPrinter;

// The printer of Qt's print support (CUPS, or a PDF file). The printer dialog configures the same
// QPrinter that printPage uses.
class QtPrinter : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;

    // Made at first use: creating a printer loads the print system (CUPS and its libraries),
    // which would otherwise cost every start a third of its time.
    QPrinter* current();

    bool printPage(QWidget& page, QString& failure) override;

private:
    std::unique_ptr<QPrinter> printer;
};
