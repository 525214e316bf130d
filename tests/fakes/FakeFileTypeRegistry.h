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
                      const QString& infoTip) override {
        return record({u"addExtension"_qs, extension, typeName, infoTip});
    }
    bool describeType(const QString& typeName, const QString& description) override {
        return record({u"describeType"_qs, typeName, description});
    }
    bool setTypeIcon(const QString& typeName, const QString& iconPath) override {
        return record({u"setTypeIcon"_qs, typeName, iconPath});
    }
    bool setOpenCommand(const QString& typeName, const QString& command) override {
        return record({u"setOpenCommand"_qs, typeName, command});
    }
    bool commit() override { return record({u"commit"_qs}); }

private:
    bool record(const QStringList& call) {
        calls << call.join(QLatin1Char('|'));
        return succeed;
    }
};
