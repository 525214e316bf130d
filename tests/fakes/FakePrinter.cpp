#include "fakes/FakePrinter.h"

#include <QLabel>
#include <QTextEdit>

bool FakePrinter::printPage(QWidget& page, QString& failure) {
    if (!failWith.isEmpty()) {
        failure = failWith;
        return false;
    }
    const auto* header = page.findChild<QLabel*>(u"bar"_qs);
    const auto* body = page.findChild<QTextEdit*>(u"txtToPrint"_qs);
    pages << Page{header ? header->text() : QString(), body ? body->toPlainText() : QString()};
    return true;
}
