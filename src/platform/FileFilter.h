#pragma once

#include <QString>
#include <QStringList>

// Turns a "description|pattern|description|pattern" filter into Qt's name filters. A
// description that already ends in its "(pattern)" is used as it stands; otherwise the pattern
// is added in brackets, since Qt reads the patterns from the brackets.
QStringList qtNameFilters(const QString& filter);
