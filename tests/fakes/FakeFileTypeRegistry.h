#pragma once

#include "platform/FileTypeRegistry.h"

#include <QString>
#include <QStringList>

// Records every registry step as one line "step|argument|argument...", in order.
class FakeFileTypeRegistry : public FileTypeRegistry {
public:
    QStringList calls;
    bool succeed = true;

    bool addExtension(const QString& extension, const QString& typeName,
                      const QString& infoTip) override;
    bool describeType(const QString& typeName, const QString& description) override;
    bool setTypeIcon(const QString& typeName, const QString& iconPath) override;
    bool setOpenCommand(const QString& typeName, const QString& command) override;
    bool commit() override;

private:
    bool record(const QStringList& call);
};
