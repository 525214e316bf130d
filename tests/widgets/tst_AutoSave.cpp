#include "app/EditingBox.h"
#include "widgets/DocumentWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QTimer>

using Box = FakeMessageBox::Call;

namespace {
const QString NoFile = u"AutoSave is on, but there is no file to save. Aborted"_qs;
}

class tst_AutoSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timerAndCheckBox() {
        DocumentWindow f;
        QTimer* timer = f.w.autosavetimer(); // its start state is checked in tst_frmmain
        // A click halfway through the countdown does not move the next tick (shortened here).
        timer->start(1000);
        QSignalSpy ticks(timer, &QTimer::timeout);
        QTest::qWait(500);
        f.w.autosavecheck()->click();
        QVERIFY(ticks.wait(800));
        timer->setInterval(60000);
        timer->stop();
        f.w.autosavecheck()->click();
        QVERIFY(timer->isActive());
    }

    void ticksFollowTheBoxAndTheLocation() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.t.dialogs.queuePath(f.path("a.nv"));
        f.run("mnuFileSave");
        writeBytes(f.path("a.nv"), "edited elsewhere");
        f.w.autosavetimerTick(); // unchecked: nothing
        QCOMPARE(bytesOf(f.path("a.nv")), QByteArray("edited elsewhere"));

        f.run("mnuFileNew");
        f.w.autosavecheck()->click();
        f.t.messages.whileOpen = [&] { f.w.autosavetimerTick(); };
        f.w.autosavetimerTick();
        QCOMPARE(f.t.messages.calls.size(), 1); // no second box from the tick inside it
        QCOMPARE(f.lastBox(), (Box{NoFile, "Error", QMessageBox::Ok, QMessageBox::Critical}));

        // A tick inside the save dialog does nothing, then ticks write the same bytes.
        f.w.txtMain().setText(u"line"_qs);
        const QString path = f.path("b.nv");
        f.t.dialogs.queuePath(path);
        f.t.dialogs.whileOpen = [&] { f.w.autosavetimerTick(); };
        f.run("mnuFileSave");
        QCOMPARE(f.t.messages.calls.size(), 1);
        f.w.hide();
        f.w.statusbarclearTick();
        for (int i = 0; i < 3; ++i)
            f.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("line\r\n"));
        QCOMPARE(f.w.statusText(), u"Auto-Saved file to "_qs + path);
        QVERIFY(f.w.statusbarclear()->isActive());

        f.w.autosavecheck()->click();
        writeBytes(path, "x");
        f.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("x"));
        QCOMPARE(f.t.messages.calls.size(), 1);
    }

    void clearStopsTheWrites() {
        for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
            DocumentWindow f;
            f.run("mnuFileNew");
            f.t.dialogs.queuePath(f.path("a.nv"));
            f.run("mnuFileSave");
            f.w.autosavecheck()->click();
            f.t.messages.answers << answer;
            f.t.dialogs.queuePath(f.path("cleared.nv"));
            f.run("mnuFileClear");
            f.w.autosavetimerTick();
            QCOMPARE(f.lastBox().text, NoFile);
        }
    }

    void aFailingWriteIsReportedOnce() {
        DocumentWindow f;
        QVERIFY(QDir(f.dir.path()).mkdir(u"sub"_qs));
        const QString path = f.path("sub/a.nv");
        f.run("mnuFileNew");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileSave");
        f.w.autosavecheck()->click();
        QVERIFY(QDir(f.path("sub")).removeRecursively());
        for (int i = 0; i < 3; ++i)
            f.w.autosavetimerTick();
        QCOMPARE(f.t.messages.calls.size(), 1);
        QVERIFY(f.lastBox().text.startsWith(u"Error ID: "_qs));
        QVERIFY(f.lastBox().text.endsWith(AbortedLine));
        QVERIFY(QDir(f.dir.path()).mkdir(u"sub"_qs));
        f.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("\r\n"));
        QVERIFY(QDir(f.path("sub")).removeRecursively());
        f.w.autosavetimerTick();
        f.w.autosavetimerTick();
        QCOMPARE(f.t.messages.calls.size(), 2);
    }
};

QTEST_MAIN(tst_AutoSave)
#include "tst_AutoSave.moc"
