#include "app/Twips.h"
#include "app/frmMain.h"
#include "dialogs/frmAbout.h"
#include "fakes/TestPlatform.h"

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
    void contentAndKeys();
    void systemInformation();
};

namespace {
const QString InfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString LocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");
} // namespace

void tst_frmAbout::contentAndKeys() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    w.action(QStringLiteral("mnuAbout"))->trigger();
    auto* about = w.findChild<frmAbout*>();
    QVERIFY(about && about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->windowTitle(), QStringLiteral("About Notavo"));
    QCOMPARE(about->lblTitle()->text(), QStringLiteral("Notavo"));
    QCOMPARE(about->lblVersion()->text(), QStringLiteral("Version 1.5.0"));
    QCOMPARE(about->lblDescription()->text(),
             QStringLiteral("Notavo is an easy to use note pad, to store snippets, phone numbers, "
                            "email addresses, all kinds of information."));
    QCOMPARE(about->size(), QSize(twips(5100), twips(2490)));
    QCOMPARE(about->cmdOK()->text(), QStringLiteral("OK"));
    QCOMPARE(about->cmdSysInfo()->text(), QStringLiteral("&System Info..."));
    QVERIFY(about->cmdOK()->isDefault());
    QCOMPARE(about->cmdOK()->nextInFocusChain(), about->cmdSysInfo());

    w.action(QStringLiteral("mnuAbout"))->trigger(); // the same box comes forward
    QCOMPARE(w.findChildren<frmAbout*>().size(), 1);

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        w.action(QStringLiteral("mnuAbout"))->trigger();
        QPointer<frmAbout> box = w.findChild<frmAbout*>();
        QVERIFY(box);
        QApplication::setActiveWindow(box);
        box->cmdOK()->setFocus();
        QTest::keyClick(box, key);
        QTRY_VERIFY(!box);
    }
}

void tst_frmAbout::systemInformation() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    frmAbout about(t.platform, &w);
    about.setAttribute(Qt::WA_DeleteOnClose, false);

    // Nothing in the registry.
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList());
    QCOMPARE(t.messages.calls,
             QList({Box{Unavailable, "Notavo", QMessageBox::Ok, QMessageBox::NoIcon}}));

    // A PATH value naming a program that cannot be started.
    t.registry.setString(InfoKey, QStringLiteral("PATH"), "/nowhere/hardinfo", true);
    t.shell.startSucceeds = false;
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList{QStringLiteral("/nowhere/hardinfo")});
    QCOMPARE(t.messages.calls.size(), 2);
    t.shell.startSucceeds = true;
    about.cmdSysInfo()->click();
    QCOMPARE(t.messages.calls.size(), 2);

    // Only the folder key: its program is started when it is there.
    QTemporaryDir folder;
    t.registry.keys.clear();
    t.shell.started.clear();
    t.registry.setString(LocationKey, QStringLiteral("MSINFO"), QFile::encodeName(folder.path()),
                         false);
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList());
    QCOMPARE(t.messages.calls.size(), 3);
    QFile program(folder.filePath(QStringLiteral("MSINFO32.EXE")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList{program.fileName()});
    QCOMPARE(t.messages.calls.size(), 3);
    QCOMPARE(t.registry.closed, t.registry.opened);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
