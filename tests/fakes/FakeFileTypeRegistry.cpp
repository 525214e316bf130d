#include "fakes/FakeFileTypeRegistry.h"

bool FakeFileTypeRegistry::record(const QStringList& call) {
    calls << call.join(QLatin1Char('|'));
    return succeed;
}

bool FakeFileTypeRegistry::addExtension(const QString& extension, const QString& typeName,
                                        const QString& infoTip) {
    return record({u"addExtension"_qs, extension, typeName, infoTip});
}

bool FakeFileTypeRegistry::describeType(const QString& typeName, const QString& description) {
    return record({u"describeType"_qs, typeName, description});
}

bool FakeFileTypeRegistry::setTypeIcon(const QString& typeName, const QString& iconPath) {
    return record({u"setTypeIcon"_qs, typeName, iconPath});
}

bool FakeFileTypeRegistry::setOpenCommand(const QString& typeName, const QString& command) {
    return record({u"setOpenCommand"_qs, typeName, command});
}

bool FakeFileTypeRegistry::commit() {
    return record({u"commit"_qs});
}
