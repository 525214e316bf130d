#include "basics/ApplicationTitle.h"

namespace {
QString& storedTitle() {
    static QString title;
    return title;
}
} // namespace

QString applicationTitle() {
    return storedTitle();
}

void setApplicationTitle(const QString& title) {
    storedTitle() = title;
}
