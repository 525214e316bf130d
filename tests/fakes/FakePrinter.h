#pragma once

#include "platform/Printer.h"

#include <QLabel>
#include <QStringList>
#include <QTextEdit>

// Records each printed page by the texts of its header and body instead of printing it.
class FakePrinter : public Printer {
public:
    struct Page {
        QString header;
        QString body;
    };
    QList<Page> pages;
    QString failWith; // when set, every job fails with this reason

    bool printPage(QWidget& page, QString& failure) override {
        if (!failWith.isEmpty()) {
            failure = failWith;
            return false;
        }
        const auto* header = page.findChild<QLabel*>(u"bar"_qs);
        const auto* body = page.findChild<QTextEdit*>(u"txtToPrint"_qs);
        pages << Page{header ? header->text() : QString(), body ? body->toPlainText() : QString()};
        return true;
    }
};
