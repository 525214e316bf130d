#include "dialogs/SysInfo.h"

#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/SystemRegistry.h"

#include <QFileInfo>
#include <algorithm>

namespace {
constexpr std::uint32_t AllKeyAccess = 0x2003F; // KEY_ALL_ACCESS without synchronize
constexpr std::uint32_t BufferSize = 1024;

QString hexFromLastByte(const QByteArray& bytes) {
    QString digits;
    for (qsizetype i = bytes.size() - 1; i >= 0; --i)
        digits += QString::number(static_cast<unsigned char>(bytes.at(i)), 16).toUpper();
    return digits;
}
} // namespace

bool GetKeyValue(SystemRegistry& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal) {
    SystemRegistry::Handle key = 0;
    if (registry.openKey(KeyRoot, KeyName, AllKeyAccess, key) != 0) {
        KeyVal.clear();
        return false;
    }
    QByteArray buffer(BufferSize, '\0');
    std::uint32_t size = BufferSize;
    std::uint32_t type = 0;
    if (registry.queryValue(key, SubKeyRef, type, buffer, size) != 0) {
        registry.closeKey(key);
        KeyVal.clear();
        return false;
    }
    qsizetype length = std::min<qsizetype>(size, buffer.size());
    if (length > 0 && buffer.at(length - 1) == '\0')
        --length;
    const QByteArray trimmed = buffer.left(length);
    switch (type) {
    case SystemRegistry::StringType:
        KeyVal = QString::fromLocal8Bit(trimmed);
        break;
    case SystemRegistry::NumberType:
        // Each byte's digits without a leading zero, last byte first; the program reads only
        // string values, so this form is kept as it always was.
        KeyVal = QLatin1String("&h") + KeyVal + hexFromLastByte(trimmed);
        break;
    default:
        break;
    }
    registry.closeKey(key);
    return true;
}

void StartSysInfo(SystemRegistry* registry, Shell* shell, MessageBox& messages, QWidget* parent) {
    bool started = false;
    if (registry && shell) {
        QString path;
        if (GetKeyValue(*registry, SystemRegistry::LocalMachine,
                        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), path)) {
            started = shell->startProgram(path);
        } else if (GetKeyValue(*registry, SystemRegistry::LocalMachine,
                               QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                               QStringLiteral("MSINFO"), path)) {
            const QString program = path + QLatin1String("/MSINFO32.EXE");
            started = QFileInfo::exists(program) && shell->startProgram(program);
        }
    }
    if (!started)
        messages.show(parent, QStringLiteral("System Information Is Unavailable At This Time"),
                      QString(), QMessageBox::Ok, QMessageBox::NoIcon);
}
