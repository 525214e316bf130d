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
const QString InfoKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_qs;
const QString LocationKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_qs;
const QString Unavailable = u"System Information Is Unavailable At This Time"_qs;
} // namespace

void tst_frmAbout::contentAndKeys() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    w.action(u"mnuAbout"_qs)->trigger();
    auto* about = w.findChild<frmAbout*>();
    QVERIFY(about && about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->windowTitle(), u"About Notavo"_qs);
    QCOMPARE(about->lblTitle()->text(), u"Notavo"_qs);
    QCOMPARE(about->lblVersion()->text(), u"Version 1.5.0"_qs);
    QCOMPARE(about->lblDescription()->text(),
             u"Notavo is an easy to use note pad, to store snippets, phone numbers, "
             "email addresses, all kinds of information."_qs);
    QCOMPARE(about->size(), QSize(twips(5100), twips(2490)));
    QCOMPARE(about->cmdOK()->text(), u"OK"_qs);
    QCOMPARE(about->cmdSysInfo()->text(), u"&System Info..."_qs);
    QVERIFY(about->cmdOK()->isDefault());
    QCOMPARE(about->cmdOK()->nextInFocusChain(), about->cmdSysInfo());

    w.action(u"mnuAbout"_qs)->trigger(); // the same box comes forward
    QCOMPARE(w.findChildren<frmAbout*>().size(), 1);

    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        w.action(u"mnuAbout"_qs)->trigger();
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
    t.registry.setString(InfoKey, u"PATH"_qs, "/nowhere/hardinfo", true);
    t.shell.startSucceeds = false;
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList{u"/nowhere/hardinfo"_qs});
    QCOMPARE(t.messages.calls.size(), 2);
    t.shell.startSucceeds = true;
    about.cmdSysInfo()->click();
    QCOMPARE(t.messages.calls.size(), 2);

    // Only the folder key: its program is started when it is there.
    QTemporaryDir folder;
    t.registry.keys.clear();
    t.shell.started.clear();
    t.registry.setString(LocationKey, u"MSINFO"_qs, QFile::encodeName(folder.path()), false);
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList());
    QCOMPARE(t.messages.calls.size(), 3);
    QFile program(folder.filePath(u"MSINFO32.EXE"_qs));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    about.cmdSysInfo()->click();
    QCOMPARE(t.shell.started, QStringList{program.fileName()});
    QCOMPARE(t.messages.calls.size(), 3);
    QCOMPARE(t.registry.closed, t.registry.opened);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
