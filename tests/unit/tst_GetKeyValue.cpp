#include "dialogs/SysInfo.h"
#include "fakes/FakeSystemRegistry.h"
#include "platform/SystemRegistry.h"

#include <QtTest>

namespace {
const QString InfoKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_qs;

bool get(SystemRegistry& registry, const QString& key, const QString& name, QString& value) {
    return GetKeyValue(registry, SystemRegistry::LocalMachine, key, name, value);
}
} // namespace

class tst_GetKeyValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strings();
    void otherTypes();
    void failures();
};

void tst_GetKeyValue::strings() {
    for (const bool countNul : {true, false}) {
        FakeSystemRegistry registry;
        registry.setString(InfoKey, u"PATH"_qs, "/usr/bin/hardinfo", countNul);
        QString value = u"before"_qs;
        QVERIFY(get(registry, InfoKey, u"PATH"_qs, value));
        QCOMPARE(value, u"/usr/bin/hardinfo"_qs);
        QCOMPARE(registry.opened, 1);
        QCOMPARE(registry.closed, 1);
        QCOMPARE(registry.accessAsked, QList<std::uint32_t>{0x2003F});
    }
    // An empty string value stored as its NUL alone.
    FakeSystemRegistry registry;
    registry.setString(InfoKey, u"PATH"_qs, QByteArray(), true);
    QString value = u"x"_qs;
    QVERIFY(get(registry, InfoKey, u"PATH"_qs, value));
    QCOMPARE(value, QString());
}

void tst_GetKeyValue::otherTypes() {
    FakeSystemRegistry registry;
    // 0x00A1B2 little-endian with no trailing NUL: last byte first, no leading zeros.
    registry.keys[InfoKey][u"n"_qs] =
        FakeSystemRegistry::Value{SystemRegistry::NumberType, QByteArray("\xB2\xA1\x0C", 3), 3};
    QString value = u"7"_qs;
    QVERIFY(get(registry, InfoKey, u"n"_qs, value));
    QCOMPARE(value, u"&h7CA1B2"_qs);

    registry.keys[InfoKey][u"b"_qs] = FakeSystemRegistry::Value{3, QByteArray("\x01\x02", 2), 2};
    value = u"kept"_qs;
    QVERIFY(get(registry, InfoKey, u"b"_qs, value));
    QCOMPARE(value, u"kept"_qs);
    QCOMPARE(registry.closed, registry.opened);
}

void tst_GetKeyValue::failures() {
    FakeSystemRegistry registry;
    registry.setString(InfoKey, u"PATH"_qs, "/bin/x", true);
    QString value = u"old"_qs;
    QVERIFY(!get(registry, u"SOFTWARE\\Nothing"_qs, u"PATH"_qs, value));
    QCOMPARE(value, QString());
    QCOMPARE(registry.closed, 0); // never opened, so nothing to close

    value = u"old"_qs;
    registry.failOpen = 5; // access denied for the write rights asked
    QVERIFY(!get(registry, InfoKey, u"PATH"_qs, value));
    QCOMPARE(value, QString());
    registry.failOpen = 0;

    value = u"old"_qs;
    QVERIFY(!get(registry, InfoKey, u"missing"_qs, value));
    QCOMPARE(value, QString());
    registry.failQuery = SystemRegistry::MoreData;
    QVERIFY(!get(registry, InfoKey, u"PATH"_qs, value));
    QCOMPARE(registry.opened, 2);
    QCOMPARE(registry.closed, 2);
}

QTEST_GUILESS_MAIN(tst_GetKeyValue)
#include "tst_GetKeyValue.moc"
