#pragma once

#include "platform/Printer.h"

#include <QStringList>

// Records each printed page by the texts of its header and body instead of printing it.
class FakePrinter : public Printer {
public:
    struct Page {
        QString header;
        QString body;
    };
    QList<Page> pages;
    QString failWith; // when set, every job fails with this reason

    bool printPage(QWidget& page, QString& failure) override;
};
