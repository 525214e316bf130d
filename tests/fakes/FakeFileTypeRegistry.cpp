#include "fakes/FakeFileTypeRegistry.h"

bool FakeFileTypeRegistry::record(const QStringList& call) {
    calls << call.join(QLatin1Char('|'));
    return succeed;
}

bool FakeFileTypeRegistry::addExtension(const QString& extension, const QString& typeName,
                                        const QString& infoTip) {
    return record({QStringLiteral("addExtension"), extension, typeName, infoTip});
}

bool FakeFileTypeRegistry::describeType(const QString& typeName, const QString& description) {
    return record({QStringLiteral("describeType"), typeName, description});
}

bool FakeFileTypeRegistry::setTypeIcon(const QString& typeName, const QString& iconPath) {
    return record({QStringLiteral("setTypeIcon"), typeName, iconPath});
}

bool FakeFileTypeRegistry::setOpenCommand(const QString& typeName, const QString& command) {
    return record({QStringLiteral("setOpenCommand"), typeName, command});
}

bool FakeFileTypeRegistry::commit() {
    return record({QStringLiteral("commit")});
}
