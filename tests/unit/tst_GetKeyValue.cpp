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

// Only string values are read by the program; what other types give is left open.
class tst_GetKeyValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stringsAndFailures() {
        {
            // An empty string; those with and without their NUL counted are tst_frmAbout's.
            FakeSystemRegistry registry;
            registry.setString(InfoKey, u"PATH"_qs, QByteArray(), true);
            QString value = u"before"_qs;
            QVERIFY(get(registry, InfoKey, u"PATH"_qs, value));
            QCOMPARE(value, QString());
            QCOMPARE(registry.closed, 1);
        }
        // Failures clear the value and close what was opened.
        for (int failure = 0; failure < 4; ++failure) {
            FakeSystemRegistry registry;
            registry.setString(InfoKey, u"PATH"_qs, "/bin/x", true);
            QString key = InfoKey;
            QString name = u"PATH"_qs;
            if (failure == 0)
                key = u"SOFTWARE\\Nothing"_qs;
            registry.failOpen = failure == 1 ? 5 : 0; // access denied for the write rights
            if (failure == 2)
                name = u"missing"_qs;
            registry.failQuery = failure == 3 ? SystemRegistry::MoreData : 0;
            QString value = u"old"_qs;
            QVERIFY(!get(registry, key, name, value));
            QCOMPARE(value, QString());
            QCOMPARE(registry.closed, registry.opened);
        }
    }
};

QTEST_GUILESS_MAIN(tst_GetKeyValue)
#include "tst_GetKeyValue.moc"
