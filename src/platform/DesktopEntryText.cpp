#include "platform/DesktopEntryText.h"

#include <QStringList>

namespace DesktopEntryText {

std::optional<QString> escapeValue(const QString& value) {
    QString escaped;
    escaped.reserve(value.size() + 4);
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        if (c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    // Leading blanks after '=' are dropped by readers.
    if (escaped.startsWith(QLatin1Char(' ')))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

namespace {

// Replaces or adds "key=value" in the named group; adds the group at the end when missing.
void setInGroup(QStringList& lines, const QString& group, const QString& key,
                const QString& value) {
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    const QString line = key + QLatin1Char('=') + value;
    qsizetype start = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() == header) {
            start = i;
            break;
        }
    }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << header << line;
        return;
    }
    qsizetype end = start + 1;
    while (end < lines.size() && !lines[end].trimmed().startsWith(QLatin1Char('[')))
        ++end;
    for (qsizetype i = start + 1; i < end; ++i) {
        const auto eq = lines[i].indexOf(QLatin1Char('='));
        if (eq > 0 && lines[i].left(eq).trimmed() == key) {
            lines[i] = line;
            return;
        }
    }
    // After the group's last entry, before blank lines that separate it from the next group.
    qsizetype at = end;
    while (at > start + 1 && lines[at - 1].trimmed().isEmpty())
        --at;
    lines.insert(at, line);
}

QString currentValue(const QStringList& lines, const QString& group, const QString& key) {
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    for (const QString& raw : lines) {
        const QString l = raw.trimmed();
        if (l.startsWith(QLatin1Char('[')))
            inGroup = l == header;
        const auto eq = l.indexOf(QLatin1Char('='));
        if (inGroup && eq > 0 && l.left(eq).trimmed() == key)
            return l.mid(eq + 1).trimmed();
    }
    return {};
}

} // namespace

QString withDefaultApplication(const QString& mimeApps, const QString& mimeType,
                               const QString& desktopId) {
    QStringList lines = mimeApps.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    setInGroup(lines, QStringLiteral("Default Applications"), mimeType,
               desktopId + QLatin1Char(';'));
    QStringList added = currentValue(lines, QStringLiteral("Added Associations"), mimeType)
                            .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    added.removeAll(desktopId);
    added.prepend(desktopId);
    setInGroup(lines, QStringLiteral("Added Associations"), mimeType,
               added.join(QLatin1Char(';')) + QLatin1Char(';'));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace DesktopEntryText
