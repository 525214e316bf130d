#include "editor/TextView.h"
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
    void realTicksFollowTheBoxAndTheLocation() {
        DocumentWindow f;
        QTimer* timer = f.w.autosavetimer(); // its interval is checked in tst_frmmain
        f.run("mnuFileNew");
        f.t.dialogs.queuePath(f.path("a.nv"));
        f.run("mnuFileSave");
        writeBytes(f.path("a.nv"), "edited elsewhere");
        f.w.autosavetimerTick(); // unchecked: nothing
        QCOMPARE(bytesOf(f.path("a.nv")), QByteArray("edited elsewhere"));
        // Checking the box does not move the next tick; a stopped timer is started.
        timer->setTimerType(Qt::PreciseTimer);
        timer->start(2000);
        QTest::qWait(20);
        const int left = timer->remainingTime();
        f.w.autosavecheck()->click();
        QVERIFY(timer->remainingTime() <= left);
        timer->stop();
        timer->setInterval(60000);
        f.w.autosavecheck()->click();
        f.w.autosavecheck()->click();
        QVERIFY(timer->isActive());

        f.run("mnuFileNew");
        f.t.messages.whileOpen = [&] { f.w.autosavetimerTick(); };
        f.w.autosavetimerTick();
        QCOMPARE(f.t.messages.calls.size(), 1); // no second box from the tick inside it
        QCOMPARE(f.lastBox(), (Box{NoFile, "Error", QMessageBox::Ok, QMessageBox::Critical}));

        // A tick inside the save dialog does nothing; then real ticks, shortened, rewrite the
        // same bytes while the window is hidden.
        f.w.txtMain().setPlainText(u"line"_qs);
        const QString path = f.path("b.nv");
        f.t.dialogs.queuePath(path);
        f.t.dialogs.whileOpen = [&] { f.w.autosavetimerTick(); };
        f.run("mnuFileSave");
        QCOMPARE(f.t.messages.calls.size(), 1);
        f.w.hide();
        QVERIFY(QFile::remove(path)); // gone: written anew
        timer->setInterval(20);
        QTRY_COMPARE(bytesOf(path), QByteArray("line\r\n"));
        QTest::qWait(100);
        QCOMPARE(bytesOf(path), QByteArray("line\r\n"));
        QCOMPARE(f.w.statusText(), u"Auto-Saved file to "_qs + path);

        f.w.autosavecheck()->click();
        writeBytes(path, "x");
        QTest::qWait(100);
        QCOMPARE(bytesOf(path), QByteArray("x"));
        QCOMPARE(f.t.messages.calls.size(), 1);
    }

    void clearLeavesNothingToWriteAndTheStatusCountsDown() {
        DocumentWindow f;
        const QString path = f.path("a.nv");
        f.run("mnuFileNew");
        f.w.txtMain().setPlainText(u"kept"_qs);
        f.t.dialogs.queuePath(path);
        f.run("mnuFileSave");
        f.w.autosavecheck()->click();
        // The auto-save's message stays for the whole countdown, started afresh by the tick.
        f.w.statusbarclear()->stop();
        f.w.autosavetimerTick();
        QCOMPARE(f.w.statusText(), u"Auto-Saved file to "_qs + path);
        QVERIFY(f.w.statusbarclear()->isActive());
        QVERIFY(f.w.statusbarclear()->remainingTime() > 4000);
        f.w.statusbarclearTick();
        QCOMPARE(f.w.statusText(), u"Ready"_qs);
        // Clear without saving, then with: the box stays ticked and the next tick has nothing
        // to write to, so it says so and the saved file keeps its text.
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            f.w.txtMain().setPlainText(u"typed"_qs);
            f.t.messages.answers << answer;
            if (answer == QMessageBox::Yes)
                f.t.dialogs.queuePath(f.path("other.nv"));
            f.run("mnuFileClear");
            QVERIFY(f.w.autosavecheck()->isChecked());
            f.w.autosavetimerTick();
            QCOMPARE(f.lastBox(), (Box{NoFile, "Error", QMessageBox::Ok, QMessageBox::Critical}));
            QCOMPARE(bytesOf(path), QByteArray("kept\r\n"));
        }
        QCOMPARE(f.t.messages.calls.size(), 4);
        QCOMPARE(bytesOf(f.path("other.nv")), QByteArray("typed\r\n"));
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

    void anotherProgramsChangeIsKept() {
        // Two windows on one file, as two running copies of the program: the second's
        // auto-save leaves the first's save alone and says so, without a box.
        DocumentWindow first, second;
        const QString path = first.path("shared.nv");
        const QString notSaved = u"Not auto-saved: shared.nv was changed by another program"_qs;
        writeBytes(path, "start\r\n");
        for (DocumentWindow* f : {&first, &second}) {
            f->t.dialogs.queuePath(path);
            f->run("mnuFileOpen");
            f->w.autosavecheck()->setChecked(true);
        }
        first.w.txtMain().setPlainText(u"first"_qs);
        first.run("mnuFileSave");
        second.w.txtMain().setPlainText(u"second"_qs);
        second.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("first\r\n"));
        QCOMPARE(second.w.statusText(), notSaved);
        // The first goes on saving over its own file, until another program appends to it.
        first.w.txtMain().setPlainText(u"more"_qs);
        first.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("more\r\n"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write("added\r\n") == 7);
        file.close();
        first.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("more\r\nadded\r\n"));
        QCOMPARE(first.w.statusText(), notSaved);
        // A file deleted meanwhile holds nothing to lose: written anew.
        QVERIFY(QFile::remove(path));
        second.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), QByteArray("second\r\n"));
        QVERIFY(first.t.messages.calls.isEmpty() && second.t.messages.calls.isEmpty());
    }
};

QTEST_MAIN(tst_AutoSave)
#include "tst_AutoSave.moc"
