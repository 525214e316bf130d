#include "app/SettingsCodec.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace SettingsCodec;

class tst_Settings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textForms();
    void handEditedTextCountsAsMissing();
    void readWriteAndFileLayout();
    void unwritableStoreFailsCleanly();
};

void tst_Settings::textForms() {
    // The number text must not follow the user's locale: a German desktop writes "8.25" too.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(fromSingle(8.25f), QStringLiteral("8.25"));
    QCOMPARE(fromSingle(12.0f), QStringLiteral("12"));
    QCOMPARE(fromSingle(10.1f), QStringLiteral("10.1"));
    QCOMPARE(toSingle(fromSingle(10.1f)), 10.1f);
    QCOMPARE(toSingle(QStringLiteral("8,25")), 8.25f); // written under a comma locale by hand
    QCOMPARE(toSingle(QStringLiteral(" 8.25 ")), 8.25f);
    QCOMPARE(fromLong(8438015), QStringLiteral("8438015"));
    QCOMPARE(fromLong(-1), QStringLiteral("-1"));
    QCOMPARE(toLong(QStringLiteral("-2147483648")), std::optional<std::int32_t>(INT32_MIN));
    QCOMPARE(fromBool(true), QStringLiteral("True"));
    QCOMPARE(fromBool(false), QStringLiteral("False"));
    QCOMPARE(toBool(QStringLiteral("true")), std::optional<bool>(true));
    QCOMPARE(toBool(QStringLiteral("FALSE")), std::optional<bool>(false));
    QCOMPARE(toBool(QStringLiteral("0")), std::optional<bool>(false));
    QCOMPARE(toInteger(QStringLiteral("2")), std::optional<std::int16_t>(2));
    QLocale::setDefault(QLocale::c());
}

void tst_Settings::handEditedTextCountsAsMissing() {
    for (const char* bad : {"", "abc", "1.5", "2147483648", "0x10", "12abc"})
        QVERIFY2(!toLong(QLatin1String(bad)), bad);
    QVERIFY(!toInteger(QStringLiteral("40000")));
    for (const char* bad : {"", "big", "1,234.5", "inf", "nan", "8.25pt", "1e999"})
        QVERIFY2(!toSingle(QLatin1String(bad)), bad);
    for (const char* bad : {"", "yes", "maybe", "Truee"})
        QVERIFY2(!toBool(QLatin1String(bad)), bad);

    QTemporaryDir dir;
    SettingsStore store(dir.path());
    const QString app = SettingsStore::SettingsAppName();
    store.WriteSetting(app, "data-font", "fontsize", "big");
    store.WriteSetting(app, "data-font", "fontbold", "maybe");
    store.WriteSetting(app, "data-col", "formcol", "red");
    QCOMPARE(store.readSingle("data-font", "fontsize", 8.25f), 8.25f);
    QCOMPARE(store.readBool("data-font", "fontbold", true), true);
    QCOMPARE(store.readLong("data-col", "formcol", 7), 7);
}

void tst_Settings::readWriteAndFileLayout() {
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    SettingsStore other(dir.path()); // a second instance of the program
    const QString app = QStringLiteral("Notavo");
    QCOMPARE(store.ReadSetting(app, "data-col", "formcol", "5"), QStringLiteral("5"));

    QVERIFY(store.WriteSetting(app, "data-col", "formcol", "8438015"));
    QVERIFY(store.WriteSetting(app, "data", "firsttime", "0"));
    QVERIFY(store.WriteSetting(app, "data-col", "gotcolour", "1"));
    QVERIFY(store.WriteSetting(app, "data-col", "formcol", "255"));
    QVERIFY(store.WriteSetting(app, "data-font", "fontname", "Odd\\Face\nName"));
    QCOMPARE(other.ReadSetting(app, "data-col", "formcol", {}), QStringLiteral("255"));
    QCOMPARE(other.ReadSetting(app, "data-font", "fontname", {}),
             QStringLiteral("Odd\\Face\nName"));
    // Another executable name is another store.
    QCOMPARE(store.ReadSetting("Other", "data-col", "formcol", "d"), QStringLiteral("d"));

    QFile file(dir.path() + QStringLiteral("/notavo/Notavo.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("[data-col]\nformcol=255\ngotcolour=1\n\n[data]\nfirsttime=0\n\n"
                        "[data-font]\nfontname=Odd\\\\Face\\nName\n"));
    file.close();

    // Written by hand: other spacing and letter case still read.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; comment\r\n[Data]\r\n FirstTime = 0\r\n");
    file.close();
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", "1"), QStringLiteral(" 0"));
    QVERIFY(store.WriteSetting(app, "data", "firsttime", "1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("; comment\n[Data]\nfirsttime=1\n"));
    file.close();

    // Two byte order marks (found by fuzz_settings): the section reads the same before and
    // after a write of another key.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF\xEF\xBB\xBF[data]\r\nfirsttime=0\r\n[data]\r\n");
    file.close();
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", {}), QStringLiteral("0"));
    QVERIFY(store.WriteSetting(app, "data", "gotcolour", "1"));
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", {}), QStringLiteral("0"));
    QCOMPARE(store.ReadSetting(app, "data", "gotcolour", {}), QStringLiteral("1"));
}

void tst_Settings::unwritableStoreFailsCleanly() {
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/notavo")); // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.path());
    QVERIFY(!store.WriteSetting("Notavo", "data", "firsttime", "0"));
    QCOMPARE(store.ReadSetting("Notavo", "data", "firsttime", "1"), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
