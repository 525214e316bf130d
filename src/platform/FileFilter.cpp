#include "platform/FileFilter.h"

QStringList qtNameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = parts.at(i + 1).trimmed().replace(u';', u' ');
        if (description.endsWith(u'(' + patterns + u')'))
            result << description;
        else
            result << description + QLatin1String(" (") + patterns + u')';
    }
    return result;
}
