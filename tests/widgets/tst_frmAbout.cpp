#include "dialogs/frmAbout.h"
#include "fakes/TestPlatform.h"
#include "platform/Shell.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using Box = FakeMessageBox::Call;

class tst_frmAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contentSystemInformationAndKeys();
    void realToolOnPathIsStarted();
};

namespace {
const QString InfoKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_qs;
const QString LocationKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_qs;
const Box Unavailable{"System Information Is Unavailable At This Time", "Notavo", QMessageBox::Ok,
                      QMessageBox::NoIcon};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
}
} // namespace

void tst_frmAbout::contentSystemInformationAndKeys() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    w.action(u"mnuAbout"_qs)->trigger();
    auto* about = w.findChild<frmAbout*>();
    QVERIFY(about && about->isVisible() && !about->isModal());
    QCOMPARE(QStringList({about->windowTitle(), about->lblTitle()->text(),
                          about->lblVersion()->text(), about->lblDescription()->text(),
                          about->cmdOK()->text(), about->cmdSysInfo()->text()}),
             QStringList({"About Notavo", "Notavo", "Version 1.5.0",
                          "Notavo is an easy to use note pad, to store snippets, phone numbers, "
                          "email addresses, all kinds of information.",
                          "OK", "&System Info..."}));
    QCOMPARE(about->cmdOK()->nextInFocusChain(), about->cmdSysInfo());

    about->cmdSysInfo()->click(); // nothing in the registry
    QCOMPARE(t.messages.calls, QList({Unavailable}));

    // The PATH value is started as it stands, and a failed start says so.
    t.registry.setString(InfoKey, u"PATH"_qs, "/nowhere/hardinfo", true);
    t.shell.startSucceeds = false;
    about->cmdSysInfo()->click();
    t.shell.startSucceeds = true;
    about->cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList(2, u"/nowhere/hardinfo"_qs));
    QCOMPARE(t.messages.calls, QList({Unavailable, Unavailable}));

    // Only the folder key: its program is started when it is there.
    QTemporaryDir folder;
    t.registry.keys.clear();
    t.shell.started.clear();
    t.registry.setString(LocationKey, u"MSINFO"_qs, QFile::encodeName(folder.path()), false);
    about->cmdSysInfo()->click();
    QCOMPARE(t.messages.calls.size(), 3);
    const QString program = folder.filePath(u"MSINFO32.EXE"_qs);
    writeFile(program, {});
    about->cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList{program});
    QCOMPARE(t.messages.calls.size(), 3);
    QVERIFY(about->isVisible()); // open all along

    w.action(u"mnuAbout"_qs)->trigger(); // the same box comes forward
    QCOMPARE(w.findChildren<frmAbout*>(), QList({about}));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        w.action(u"mnuAbout"_qs)->trigger();
        QPointer<frmAbout> box = w.findChild<frmAbout*>();
        QApplication::setActiveWindow(box);
        box->cmdOK()->setFocus();
        QTest::keyClick(box, key);
        QTRY_VERIFY(!box);
    }
}

void tst_frmAbout::realToolOnPathIsStarted() {
    // The program's own registry and shell: tools found on PATH, the more complete one started.
    QTemporaryDir bin;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const QString started = bin.filePath(u"started"_qs);
    for (const char* name : {"lshw-gtk", "hardinfo"})
        writeFile(bin.filePath(QLatin1String(name)),
                  "#!/bin/sh\necho \"$0 $#\" >> '" + QFile::encodeName(started) + "'\n");
    TestPlatform t;
    LinuxSystemRegistry registry;
    QtShell shell;
    t.platform.registry = &registry;
    t.platform.shell = &shell;
    frmAbout about(t.platform, nullptr);
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    about.cmdSysInfo()->click();
    QTRY_COMPARE(QFile::exists(started), true);
    QFile record(started);
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(record.readAll(), QFile::encodeName(bin.filePath(u"hardinfo"_qs)) + " 0\n");
    QVERIFY(t.messages.calls.isEmpty());

    QVERIFY(QFile::remove(bin.filePath(u"hardinfo"_qs)) &&
            QFile::remove(bin.filePath(u"lshw-gtk"_qs)));
    about.cmdSysInfo()->click(); // none installed
    QCOMPARE(t.messages.calls.size(), 1);
    qputenv("PATH", savedPath);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
