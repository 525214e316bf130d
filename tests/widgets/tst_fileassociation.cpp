// The association through the real Linux backend, in a private HOME with its own XDG folders:
// the files it writes are checked with the desktop's own tools.
#include "firstrun/FileAssociation.h"
#include "firstrun/frmFirstTime.h"
#include "platform/LinuxFileTypeRegistry.h"

#include "fakes/TestPlatform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

struct ToolResult {
    int exitCode = -1;
    QString output;
};

ToolResult runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAll()).trimmed()};
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString lineOf(const QString& text, const QString& key) {
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return {};
}

} // namespace

class tst_FileAssociation : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QString data;
    QString config;

    QString entryPath() const { return data + u"/applications/notavo-nv.desktop"_qs; }

private Q_SLOTS:
    void init() {
        QVERIFY(home.isValid());
        data = home.filePath(u"data"_qs);
        config = home.filePath(u"config"_qs);
        QDir().mkpath(config);
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(u"cache"_qs)));
        // xdg-mime then answers from the freedesktop files, not from a desktop's own tool.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
            qunsetenv(name);
    }
    void cleanup() { QVERIFY(home.remove()); }

    void tickingTheBoxRegistersTheTypeAndLaterRewritesIt() {
        TestPlatform t;
        LinuxFileTypeRegistry registry;
        t.platform.fileTypes = &registry;
        frmFirstTime window(t.platform, t.settings);
        window.load();
        window.addextensions()->click(); // the box itself is checked in tst_frmfirsttime
        QVERIFY(t.messages.calls.isEmpty());

        const QString entry = readText(entryPath());
        const QString here = QCoreApplication::applicationDirPath();
        QCOMPARE(lineOf(entry, u"Exec"_qs), QLatin1Char('"') + here + u"/tst_fileassociation\""_qs);
        QCOMPARE(lineOf(entry, u"MimeType"_qs), u"application/x-notavo;"_qs);
        QCOMPARE(lineOf(entry, u"Comment"_qs), u"Notavo Protocol File"_qs);
        const QString mime = readText(data + u"/mime/packages/notavo.xml"_qs);
        QVERIFY(mime.contains(QLatin1String("<comment>Notavo Text File</comment>")));

        QFile document(home.filePath(u"some.nv"_qs));
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.write("phone 555 0100\r\n");
        document.close();
        QCOMPARE(runTool(u"xdg-mime"_qs, {u"query"_qs, u"filetype"_qs, document.fileName()}).output,
                 u"application/x-notavo"_qs);
        QCOMPARE(runTool(u"xdg-mime"_qs, {u"query"_qs, u"default"_qs, u"application/x-notavo"_qs})
                     .output,
                 u"notavo-nv.desktop"_qs);

        // A later association rewrites the entry with the program of that moment, here in a
        // folder full of characters that a shell would take: GLib's launcher must start it at
        // exactly that path. ('%' is left out: GLib 2.74 looks for the program before it turns
        // "%%" back into '%', so it refuses such an entry; the unit test checks the line.)
        const QString folder =
            home.filePath(u"My \"odd\" $HOME `x` \\ dir;|&<*>#~ j\u00f6rg \u20ac"_qs);
        QVERIFY(QDir().mkpath(folder));
        const QString program = folder + u"/notavo"_qs;
        const QString record = home.filePath(u"started-as"_qs);
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$NOTAVO_RECORD\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        qputenv("NOTAVO_RECORD", QFile::encodeName(record));
        associateDocumentType(t.platform, program);
        QCOMPARE(runTool(u"desktop-file-validate"_qs, {entryPath()}).output, QString());
        QCOMPARE(runTool(u"gio"_qs, {u"launch"_qs, entryPath()}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(readText(record), program, 5000);
        QCOMPARE(readText(config + u"/mimeapps.list"_qs)
                     .count(QLatin1String("application/x-notavo=notavo-nv.desktop;")),
                 2); // still once in each section

        // A line break cannot be put into Exec: that entry is not written, the old one stays.
        associateDocumentType(t.platform, home.filePath(u"two\nlines/notavo"_qs));
        QCOMPARE(lineOf(readText(entryPath()), u"Icon"_qs),
                 QString(folder).replace(QLatin1String("\\"), QLatin1String("\\\\")) +
                     u"/notavo_logo.ico"_qs);
    }

    void unwritableDataFolderWritesNothing() {
        // A file where the data folder should be: no folder can be made below it, even as root.
        QFile blocker(data);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TestPlatform t;
        LinuxFileTypeRegistry registry;
        t.platform.fileTypes = &registry;
        frmFirstTime window(t.platform, t.settings);
        QSignalSpy started(&window, &frmFirstTime::startMain);
        window.load();
        window.addextensions()->click();
        QVERIFY(QFileInfo(data).isFile());
        QCOMPARE(QFileInfo(data).size(), 0);
        QVERIFY(!QFile::exists(config + u"/mimeapps.list"_qs));
        QVERIFY(t.messages.calls.isEmpty());
        window.cStartNotavo()->click(); // the failure does not hold up the start
        QCOMPARE(started.size(), 1);
    }
};

QTEST_MAIN(tst_FileAssociation)
#include "tst_fileassociation.moc"
