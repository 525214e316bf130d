#include "dialogs/SysInfo.h"
#include "fakes/FakeSystemRegistry.h"
#include "platform/SystemRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString InfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");

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
    void linuxBackend();
};

void tst_GetKeyValue::strings() {
    for (const bool countNul : {true, false}) {
        FakeSystemRegistry registry;
        registry.setString(InfoKey, QStringLiteral("PATH"), "/usr/bin/hardinfo", countNul);
        QString value = QStringLiteral("before");
        QVERIFY(get(registry, InfoKey, QStringLiteral("PATH"), value));
        QCOMPARE(value, QStringLiteral("/usr/bin/hardinfo"));
        QCOMPARE(registry.opened, 1);
        QCOMPARE(registry.closed, 1);
        QCOMPARE(registry.accessAsked, QList<std::uint32_t>{0x2003F});
    }
    // An empty string value stored as its NUL alone.
    FakeSystemRegistry registry;
    registry.setString(InfoKey, QStringLiteral("PATH"), QByteArray(), true);
    QString value = QStringLiteral("x");
    QVERIFY(get(registry, InfoKey, QStringLiteral("PATH"), value));
    QCOMPARE(value, QString());
}

void tst_GetKeyValue::otherTypes() {
    FakeSystemRegistry registry;
    // 0x00A1B2 little-endian with no trailing NUL: last byte first, no leading zeros.
    registry.keys[InfoKey][QStringLiteral("n")] =
        FakeSystemRegistry::Value{SystemRegistry::NumberType, QByteArray("\xB2\xA1\x0C", 3), 3};
    QString value = QStringLiteral("7");
    QVERIFY(get(registry, InfoKey, QStringLiteral("n"), value));
    QCOMPARE(value, QStringLiteral("&h7CA1B2"));

    registry.keys[InfoKey][QStringLiteral("b")] =
        FakeSystemRegistry::Value{3, QByteArray("\x01\x02", 2), 2};
    value = QStringLiteral("kept");
    QVERIFY(get(registry, InfoKey, QStringLiteral("b"), value));
    QCOMPARE(value, QStringLiteral("kept"));
    QCOMPARE(registry.closed, registry.opened);
}

void tst_GetKeyValue::failures() {
    FakeSystemRegistry registry;
    registry.setString(InfoKey, QStringLiteral("PATH"), "/bin/x", true);
    QString value = QStringLiteral("old");
    QVERIFY(!get(registry, QStringLiteral("SOFTWARE\\Nothing"), QStringLiteral("PATH"), value));
    QCOMPARE(value, QString());
    QCOMPARE(registry.closed, 0); // never opened, so nothing to close

    value = QStringLiteral("old");
    registry.failOpen = 5; // access denied for the write rights asked
    QVERIFY(!get(registry, InfoKey, QStringLiteral("PATH"), value));
    QCOMPARE(value, QString());
    registry.failOpen = 0;

    value = QStringLiteral("old");
    QVERIFY(!get(registry, InfoKey, QStringLiteral("missing"), value));
    QCOMPARE(value, QString());
    registry.failQuery = SystemRegistry::MoreData;
    QVERIFY(!get(registry, InfoKey, QStringLiteral("PATH"), value));
    QCOMPARE(registry.opened, 2);
    QCOMPARE(registry.closed, 2);
}

void tst_GetKeyValue::linuxBackend() {
    QTemporaryDir bin;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    LinuxSystemRegistry registry;
    QString value;
    QVERIFY(!get(registry, InfoKey, QStringLiteral("PATH"), value));

    // The more complete tool wins when several are installed.
    for (const char* name : {"lshw-gtk", "hardinfo"}) {
        QFile tool(bin.filePath(QLatin1String(name)));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    QVERIFY(get(registry, InfoKey.toLower(), QStringLiteral("PATH"), value));
    QCOMPARE(value, bin.filePath(QStringLiteral("hardinfo")));
    QVERIFY(!get(registry, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                 QStringLiteral("MSINFO"), value));
    qputenv("PATH", savedPath);
}

QTEST_GUILESS_MAIN(tst_GetKeyValue)
#include "tst_GetKeyValue.moc"
