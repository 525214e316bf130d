#include "settings/SettingsStore.h"

#include "settings/SettingsCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString escapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

QString unescapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text.at(++i);
            out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += c;
        }
    }
    return out;
}

// The lines of the store's file; none when it is missing, std::nullopt when something is there
// that cannot be read, which must then not be replaced by a write. A named pipe or a device
// there is refused without waiting: opening a pipe would block until someone writes to it.
std::optional<QStringList> readLines(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return QStringList();
        return std::nullopt;
    }
    struct stat info {};
    // Far more than any store of ours holds; a larger file is not one.
    constexpr qint64 largest = qint64(1) << 20;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > largest ||
        ::fcntl(fd, F_SETFL, O_RDONLY) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QString text = QString::fromUtf8(file.read(largest));
    // Qt drops one byte order mark; further ones, left by editors that add their own, would hide
    // the first section header until a write of ours dropped them and changed what it means.
    while (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(u'[') || !t.endsWith(u']'))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool isKeyLine(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    *value = unescapeValue(line.mid(eq + 1));
    return true;
}

// Index range [first, end) of the section's body lines, or first = -1 when absent.
std::pair<qsizetype, qsizetype> sectionRange(const QStringList& lines, const QString& section) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (!isSectionHeader(lines.at(i), &name))
            continue;
        if (first >= 0)
            return {first, i};
        if (name.compare(section, Qt::CaseInsensitive) == 0)
            first = i + 1;
    }
    return {first, lines.size()};
}

} // namespace

SettingsStore::SettingsStore(QString configRoot) : root(std::move(configRoot)) {}

QString SettingsStore::SettingsAppName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString SettingsStore::filePath(const QString& appName) const {
    QString base = root;
    if (base.isEmpty()) {
        base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (base.isEmpty() || QDir::isRelativePath(base))
            base = QDir::homePath() + QLatin1String("/.config");
    }
    return base + QLatin1String("/notavo/") + appName + QLatin1String(".ini");
}

QString SettingsStore::ReadSetting(const QString& appName, const QString& section,
                                   const QString& key, const QString& defaultText) const {
    const QStringList lines = readLines(filePath(appName)).value_or(QStringList());
    const auto [first, end] = sectionRange(lines, section);
    if (first < 0)
        return defaultText;
    QString value;
    for (qsizetype i = first; i < end; ++i)
        if (isKeyLine(lines.at(i), key, &value))
            return value;
    return defaultText;
}

bool SettingsStore::WriteSetting(const QString& appName, const QString& section, const QString& key,
                                 const QString& text) {
    const QString path = filePath(appName);
    const std::optional<QStringList> read = readLines(path);
    if (!read)
        return false;
    QStringList lines = *read;
    const QString entry = key + u'=' + escapeValue(text);
    auto [first, end] = sectionRange(lines, section);
    if (first < 0) {
        if (!lines.isEmpty())
            lines << QString();
        lines << u'[' + section + u']' << entry;
    } else {
        QString old;
        qsizetype found = -1;
        for (qsizetype i = first; i < end && found < 0; ++i)
            if (isKeyLine(lines.at(i), key, &old))
                found = i;
        if (found >= 0) {
            lines[found] = entry;
        } else {
            qsizetype at = end;
            while (at > first && lines.at(at - 1).trimmed().isEmpty())
                --at;
            lines.insert(at, entry);
        }
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(u'\n') + u'\n').toUtf8());
    return file.commit();
}

std::int32_t SettingsStore::readLong(const QString& section, const QString& key,
                                     std::int32_t defaultValue) const {
    const QString text =
        ReadSetting(SettingsAppName(), section, key, SettingsCodec::fromLong(defaultValue));
    return SettingsCodec::toLong(text).value_or(defaultValue);
}

std::int16_t SettingsStore::readInteger(const QString& section, const QString& key,
                                        std::int16_t defaultValue) const {
    const QString text =
        ReadSetting(SettingsAppName(), section, key, SettingsCodec::fromLong(defaultValue));
    return SettingsCodec::toInteger(text).value_or(defaultValue);
}

bool SettingsStore::readBool(const QString& section, const QString& key, bool defaultValue) const {
    const QString text =
        ReadSetting(SettingsAppName(), section, key, SettingsCodec::fromBool(defaultValue));
    return SettingsCodec::toBool(text).value_or(defaultValue);
}

float SettingsStore::readSingle(const QString& section, const QString& key,
                                float defaultValue) const {
    const QString text =
        ReadSetting(SettingsAppName(), section, key, SettingsCodec::fromSingle(defaultValue));
    return SettingsCodec::toSingle(text).value_or(defaultValue);
}

QString SettingsStore::readText(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    return ReadSetting(SettingsAppName(), section, key, defaultValue);
}

bool SettingsStore::write(const QString& section, const QString& key, const QString& text) {
    return WriteSetting(SettingsAppName(), section, key, text);
}
