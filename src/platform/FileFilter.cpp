#include "platform/FileFilter.h"

#include <QRegularExpression>

QStringList qtNameFilters(const QString& filter) {
    static const QRegularExpression separators(QStringLiteral("[; ]+"));
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(separators, Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = u'*';
        result << parts.at(i).trimmed() + QLatin1String(" (") + patterns.join(u' ') + u')';
    }
    return result;
}
