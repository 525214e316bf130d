#include "platform/SystemRegistry.h"

#include <QFile>
#include <QStandardPaths>
#include <cstring>

namespace {
constexpr SystemRegistry::Handle InfoKey = 1;

const QString InfoKeyName = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
} // namespace

QString LinuxSystemRegistry::systemInformationTool() {
    // Graphical system-information programs, most complete first: HardInfo2 and its
    // predecessor HardInfo, KDE's Info Center, and the GTK front end of lshw.
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

long LinuxSystemRegistry::openKey(std::uint32_t root, const QString& name, std::uint32_t,
                                  Handle& key) {
    // Key names are case-insensitive, as on the system this layout comes from.
    if (root != LocalMachine || name.compare(InfoKeyName, Qt::CaseInsensitive) != 0)
        return NotFound;
    key = InfoKey;
    return 0;
}

long LinuxSystemRegistry::queryValue(Handle key, const QString& valueName, std::uint32_t& type,
                                     QByteArray& buffer, std::uint32_t& size) {
    if (key != InfoKey || valueName.compare(QLatin1String("PATH"), Qt::CaseInsensitive) != 0)
        return NotFound;
    const QString tool = systemInformationTool();
    if (tool.isEmpty())
        return NotFound;
    const QByteArray bytes = QFile::encodeName(tool) + '\0';
    if (qsizetype(size) < bytes.size() || buffer.size() < bytes.size()) {
        size = std::uint32_t(bytes.size());
        return MoreData;
    }
    std::memcpy(buffer.data(), bytes.constData(), std::size_t(bytes.size()));
    size = std::uint32_t(bytes.size());
    type = StringType;
    return 0;
}

long LinuxSystemRegistry::closeKey(Handle) {
    return 0;
}
