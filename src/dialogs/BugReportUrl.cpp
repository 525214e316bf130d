#include "dialogs/BugReportUrl.h"

#include <QUrl>

namespace {
QString encoded(const QString& text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// Line breaks in a mail body are CR LF; the editing box gives bare LF.
QString withCrLf(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}
} // namespace

QString bugReportUrl(const QString& mailbox, const QString& reporter, const QString& errorId,
                     const QString& description) {
    return QLatin1String("mailto:") + mailbox + QLatin1String("?subject=") +
           QLatin1String("Bug Report From: ") + encoded(reporter) + QLatin1String(". ID: ") +
           encoded(errorId) + QLatin1String("&") + QLatin1String("body=") +
           encoded(withCrLf(description));
}
