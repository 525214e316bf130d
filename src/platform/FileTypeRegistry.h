#pragma once

class QString;

// Per-user registration of a document type with the desktop. The steps assemble the
// association (extension -> file type -> description, icon, open command); commit() makes it
// visible. Each returns false on failure; callers pass failures over and go on.
class FileTypeRegistry {
public:
    virtual ~FileTypeRegistry() = default;

    // Links an extension such as ".nv" to a file type, with the tip shown for such files.
    virtual bool addExtension(const QString& extension, const QString& typeName,
                              const QString& infoTip) = 0;
    virtual bool describeType(const QString& typeName, const QString& description) = 0;
    virtual bool setTypeIcon(const QString& typeName, const QString& iconPath) = 0;
    // The command of the type's default verb "open", already quoted as one Exec word.
    virtual bool setOpenCommand(const QString& typeName, const QString& command) = 0;
    virtual bool commit() = 0;
};
