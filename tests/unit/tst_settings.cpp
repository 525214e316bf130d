#include "settings/SettingsCodec.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace SettingsCodec;

class tst_Settings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textFormsAndHandEditedText();
    void readWriteAndFileLayout();
    void unwritableStoreFailsCleanly();
};

void tst_Settings::textFormsAndHandEditedText() {
    // The number text must not follow the user's locale: a German desktop writes "8.25" too.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(
        QStringList({fromSingle(8.25f), fromSingle(12.0f), fromSingle(10.1f), fromBool(false)}),
        QStringList({"8.25", "12", "10.1", "False"}));
    // "8,25": written under a comma locale by hand.
    QCOMPARE(QList({toSingle(fromSingle(10.1f)), toSingle(u"8,25"_qs), toSingle(u" 8.25 "_qs)}),
             QList<std::optional<float>>({10.1f, 8.25f, 8.25f}));
    QCOMPARE(QList({toBool(u"true"_qs), toBool(u"FALSE"_qs), toBool(u"0"_qs)}),
             QList<std::optional<bool>>({true, false, false}));
    QCOMPARE(toLong(u"-2147483648"_qs), std::optional<std::int32_t>(INT32_MIN));
    QCOMPARE(toInteger(u"2"_qs), std::optional<std::int16_t>(2));
    QLocale::setDefault(QLocale::c());
    // What the readers refuse (the window then keeps its default: tst_frmmain).
    for (const char* bad : {"", "abc", "1.5", "2147483648", "0x10", "12abc"})
        QVERIFY2(!toLong(QLatin1String(bad)), bad);
    QVERIFY(!toInteger(u"40000"_qs));
    for (const char* bad : {"", "big", "1,234.5", "inf", "nan", "8.25pt", "1e999"})
        QVERIFY2(!toSingle(QLatin1String(bad)), bad);
    for (const char* bad : {"", "yes", "maybe", "Truee"})
        QVERIFY2(!toBool(QLatin1String(bad)), bad);
}

void tst_Settings::readWriteAndFileLayout() {
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    SettingsStore other(dir.path()); // a second instance of the program
    const QString app = u"Notavo"_qs;
    QCOMPARE(store.ReadSetting(app, "data-col", "formcol", "5"), u"5"_qs);

    QVERIFY(store.WriteSetting(app, "data-col", "formcol", "8438015"));
    QVERIFY(store.WriteSetting(app, "data", "firsttime", "0"));
    QVERIFY(store.WriteSetting(app, "data-col", "gotcolour", "1"));
    QVERIFY(store.WriteSetting(app, "data-col", "formcol", "255"));
    QVERIFY(store.WriteSetting(app, "data-font", "fontname", "Odd\\Face\nName"));
    QCOMPARE(other.ReadSetting(app, "data-col", "formcol", {}), u"255"_qs);
    QCOMPARE(other.ReadSetting(app, "data-font", "fontname", {}), u"Odd\\Face\nName"_qs);
    // Another executable name is another store.
    QCOMPARE(store.ReadSetting("Other", "data-col", "formcol", "d"), u"d"_qs);

    QFile file(dir.path() + u"/notavo/Notavo.ini"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("[data-col]\nformcol=255\ngotcolour=1\n\n[data]\nfirsttime=0\n\n"
                        "[data-font]\nfontname=Odd\\\\Face\\nName\n"));
    file.close();

    // Written by hand: other spacing and letter case still read.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; comment\r\n[Data]\r\n FirstTime = 0\r\n");
    file.close();
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", "1"), u" 0"_qs);
    QVERIFY(store.WriteSetting(app, "data", "firsttime", "1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("; comment\n[Data]\nfirsttime=1\n"));
    file.close();

    // Two byte order marks (found by fuzz_settings): the section reads the same before and
    // after a write of another key.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF\xEF\xBB\xBF[data]\r\nfirsttime=0\r\n[data]\r\n");
    file.close();
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", {}), u"0"_qs);
    QVERIFY(store.WriteSetting(app, "data", "gotcolour", "1"));
    QCOMPARE(store.ReadSetting(app, "data", "firsttime", {}), u"0"_qs);
    QCOMPARE(store.ReadSetting(app, "data", "gotcolour", {}), u"1"_qs);
}

void tst_Settings::unwritableStoreFailsCleanly() {
    QTemporaryDir dir;
    QFile blocker(dir.path() + u"/notavo"_qs); // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.path());
    QVERIFY(!store.WriteSetting("Notavo", "data", "firsttime", "0"));
    QCOMPARE(store.ReadSetting("Notavo", "data", "firsttime", "1"), u"1"_qs);

    // A named pipe where the file should be: start-up does not wait for a writer to come (one
    // comes after a second, so that the test fails rather than hangs), and the pipe stays.
    QVERIFY(QDir(dir.path()).mkdir(u"piped"_qs) && QDir(dir.path()).mkdir(u"piped/notavo"_qs));
    const QByteArray pipe = QFile::encodeName(dir.path() + u"/piped/notavo/Notavo.ini"_qs);
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; !done; ++i) {
            QThread::msleep(50);
            const int fd = i % 20 == 19 ? ::open(pipe.constData(), O_WRONLY | O_NONBLOCK) : -1;
            if (fd >= 0)
                ::close(fd);
        }
    });
    QElapsedTimer elapsed;
    elapsed.start();
    SettingsStore piped(dir.path() + u"/piped"_qs);
    QCOMPARE(piped.ReadSetting("Notavo", "data", "firsttime", "1"), u"1"_qs);
    QVERIFY(!piped.WriteSetting("Notavo", "data", "firsttime", "0"));
    const qint64 ms = elapsed.elapsed();
    done = true;
    writer.join();
    QVERIFY2(ms < 500, qPrintable(u"waited %1 ms"_qs.arg(ms)));
    struct stat info {};
    QVERIFY(::lstat(pipe.constData(), &info) == 0 && S_ISFIFO(info.st_mode));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
