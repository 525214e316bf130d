#include "platform/LinuxFileTypeRegistry.h"

#include "platform/DesktopEntryText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamWriter>

namespace {

// External tools get this long; a hung cache tool must not freeze the first-run window.
constexpr int ToolTimeoutMs = 10000;

bool runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    // The association reports nothing, not even the tools' own notes.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(ToolTimeoutMs))
        return false;
    if (!process.waitForFinished(ToolTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool saveAtomically(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString folderOr(const QString& chosen, QStandardPaths::StandardLocation location) {
    return chosen.isEmpty() ? QStandardPaths::writableLocation(location) : chosen;
}

} // namespace

LinuxFileTypeRegistry::LinuxFileTypeRegistry(QString dataHome, QString configHome)
    : dataRoot(std::move(dataHome)), configRoot(std::move(configHome)) {}

bool LinuxFileTypeRegistry::addExtension(const QString& ext, const QString& type,
                                         const QString& tip) {
    // A glob is made of the extension; wildcard characters would widen it to other files.
    if (!ext.startsWith(QLatin1Char('.')) || ext.size() < 2 ||
        ext.contains(QRegularExpression(QStringLiteral("[*?\\[\\]/]"))))
        return false;
    extension = ext;
    typeName = type;
    infoTip = tip;
    return true;
}

bool LinuxFileTypeRegistry::describeType(const QString& type, const QString& text) {
    if (type != typeName)
        return false;
    description = text;
    return true;
}

bool LinuxFileTypeRegistry::setTypeIcon(const QString& type, const QString& path) {
    if (type != typeName)
        return false;
    iconPath = path;
    return true;
}

bool LinuxFileTypeRegistry::setOpenCommand(const QString& type, const QString& command) {
    if (type != typeName)
        return false;
    openCommand = command;
    return true;
}

bool LinuxFileTypeRegistry::commit() {
    if (extension.isEmpty())
        return false;
    const QString dataHome = folderOr(dataRoot, QStandardPaths::GenericDataLocation);
    const QString configHome = folderOr(configRoot, QStandardPaths::GenericConfigLocation);
    if (dataHome.isEmpty())
        return false;
    bool ok = writeMimePackage(dataHome) &&
              runTool(QStringLiteral("update-mime-database"), {dataHome + QStringLiteral("/mime")});
    // The handler is only named once its entry exists.
    if (writeDesktopEntry(dataHome)) {
        runTool(QStringLiteral("update-desktop-database"),
                {dataHome + QStringLiteral("/applications")});
        ok = setDefaultHandler(configHome) && ok;
    } else {
        ok = false;
    }
    return ok;
}

bool LinuxFileTypeRegistry::writeMimePackage(const QString& dataHome) const {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeDefaultNamespace(
        QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    w.writeStartElement(QStringLiteral("mime-info"));
    w.writeStartElement(QStringLiteral("mime-type"));
    w.writeAttribute(QStringLiteral("type"), QLatin1String(MimeType));
    if (!description.isEmpty())
        w.writeTextElement(QStringLiteral("comment"), description);
    // Documents are plain text: text editors stay on offer too.
    w.writeEmptyElement(QStringLiteral("sub-class-of"));
    w.writeAttribute(QStringLiteral("type"), QStringLiteral("text/plain"));
    w.writeEmptyElement(QStringLiteral("icon"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("notavo"));
    w.writeEmptyElement(QStringLiteral("glob"));
    w.writeAttribute(QStringLiteral("pattern"), QLatin1Char('*') + extension);
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return saveAtomically(dataHome + QStringLiteral("/mime/packages/") + QLatin1String(PackageFile),
                          xml);
}

bool LinuxFileTypeRegistry::writeDesktopEntry(const QString& dataHome) const {
    if (openCommand.isEmpty())
        return false;
    const auto exec = DesktopEntryText::escapeValue(openCommand);
    const auto icon = DesktopEntryText::escapeValue(iconPath);
    const auto comment = DesktopEntryText::escapeValue(infoTip);
    if (!exec || !icon || !comment)
        return false;
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Notavo\n");
    if (!comment->isEmpty())
        entry += QStringLiteral("Comment=") + *comment + QLatin1Char('\n');
    entry += QStringLiteral("Exec=") + *exec + QLatin1Char('\n');
    if (!icon->isEmpty())
        entry += QStringLiteral("Icon=") + *icon + QLatin1Char('\n');
    // A handler for documents, not a second launcher in the menus.
    entry += QStringLiteral("MimeType=") + QLatin1String(MimeType) +
             QStringLiteral(";\n"
                            "NoDisplay=true\n"
                            "Terminal=false\n");
    return saveAtomically(dataHome + QStringLiteral("/applications/") + QLatin1String(DesktopId),
                          entry.toUtf8());
}

bool LinuxFileTypeRegistry::setDefaultHandler(const QString& configHome) const {
    if (configHome.isEmpty())
        return false;
    const QString path = configHome + QStringLiteral("/mimeapps.list");
    QFile current(path);
    QString text;
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            return false; // never replace a list that could not be read
        text = QString::fromUtf8(current.readAll());
        current.close();
    }
    return saveAtomically(path, DesktopEntryText::withDefaultApplication(
                                    text, QLatin1String(MimeType), QLatin1String(DesktopId))
                                    .toUtf8());
}
