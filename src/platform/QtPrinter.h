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

    QPrinter* current() { return printer.get(); }
    // Sends the following jobs to a PDF file instead of a print queue.
    void printToPdf(const QString& path);

    bool printPage(QWidget& page, QString& failure) override;

private:
    std::unique_ptr<QPrinter> printer;
};
