#pragma once

#include "platform/FileTypeRegistry.h"

#include <QString>

// The document type for the current user in freedesktop terms, all under the user's data and
// configuration folders. How the class-registry tree is carried:
//
//   .nv (default) = "NotavoTextFile"       mime/packages/notavo.xml: <mime-type type=...> with
//                                          <glob pattern="*.nv"/>; the file type is the MIME
//                                          type application/x-notavo
//   .nv InfoTip = "Notavo Protocol File"   applications/notavo-nv.desktop: Comment
//   NotavoTextFile (default) = description mime/packages/notavo.xml: <comment>
//   NotavoTextFile\DefaultIcon = icon path applications/notavo-nv.desktop: Icon (a MIME package
//                                          can only name a themed icon: <icon name="notavo"/>)
//   NotavoTextFile\shell = "open"          the desktop entry's one action, its Exec
//   ...\shell\open\command = open command  applications/notavo-nv.desktop: Exec, MimeType;
//                                          mimeapps.list [Default Applications] makes it the
//                                          type's handler
//
// Every file is replaced atomically; a later association rewrites them all with the current
// values. The desktop's caches are refreshed with update-mime-database and
// update-desktop-database.
class LinuxFileTypeRegistry : public FileTypeRegistry {
public:
    // Empty folders: XDG_DATA_HOME and XDG_CONFIG_HOME (or their defaults) at commit time.
    explicit LinuxFileTypeRegistry(QString dataHome = QString(), QString configHome = QString());

    bool addExtension(const QString& extension, const QString& typeName,
                      const QString& infoTip) override;
    bool describeType(const QString& typeName, const QString& description) override;
    bool setTypeIcon(const QString& typeName, const QString& iconPath) override;
    bool setOpenCommand(const QString& typeName, const QString& command) override;
    bool commit() override;

    static constexpr auto MimeType = "application/x-notavo";
    static constexpr auto PackageFile = "notavo.xml";
    static constexpr auto DesktopId = "notavo-nv.desktop";

private:
    bool writeMimePackage(const QString& dataHome) const;
    bool writeDesktopEntry(const QString& dataHome) const;
    bool setDefaultHandler(const QString& configHome) const;

    QString dataRoot;
    QString configRoot;
    QString extension;
    QString typeName;
    QString infoTip;
    QString description;
    QString iconPath;
    QString openCommand;
};
