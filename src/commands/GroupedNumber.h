#pragma once

#include <QLocale>
#include <QString>

// A count as the status bar and dialogs show it: "1,234".
inline QString groupedNumber(qint64 number) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}
