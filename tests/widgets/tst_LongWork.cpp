#include "DocumentWindow.h"
#include "commands/LongTask.h"
#include "editor/TextView.h"
#include "platform/ModalScope.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <thread>

// Opening, saving and converting large documents on a worker: the window stays live, shows
// progress, keys typed meanwhile land in the right text, and Cancel leaves both the document in
// hand and the file on disk as they were.
class tst_LongWork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void progressHoldsTheWindowAndCancels();
    void cancelledOpenAndSaveChangeNothing();
    void keysTypedWhileOpeningGoToTheNewDocument();
    void cancelWhileDecodingKeepsTheDocument();
    void editsDuringASaveNeverReachTheSavedText();
    void convertRunsAsLongWork();
    void noThreadAndQuittingMidTask();
};

namespace {

QByteArray largeDocument() {
    QByteArray bytes;
    for (int i = 0; bytes.size() < (qsizetype(20) << 20); ++i)
        bytes += QByteArray::number(i) + " caf\xC3\xA9 and a line of text to fill it\r\n";
    return bytes;
}

QPushButton* cancelButton(frmMain& w) {
    return w.findChild<QPushButton*>(u"cmdCancelTask"_qs);
}

// Presses Cancel as soon as the window's loop turns, before any work has begun; false when
// there was no long work to cancel.
std::shared_ptr<bool> cancelWhenItStarts(frmMain& w) {
    auto pressed = std::make_shared<bool>(false);
    QTimer::singleShot(0, &w, [&w, pressed] {
        if (QPushButton* cancel = cancelButton(w)) {
            cancel->click();
            *pressed = true;
        }
    });
    return pressed;
}

// The text the box shows for a document's bytes (CR LF, the final break not part of it).
QString textOf(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).replace(u"\r\n"_qs, u"\n"_qs).chopped(1);
}

} // namespace

void tst_LongWork::progressHoldsTheWindowAndCancels() {
    DocumentWindow d;
    d.w.show();
    d.run("mnuFileNew");
    QAction* save = d.w.action(u"mnuFileSave"_qs);
    bool heldWhileRunning = false;
    QTimer::singleShot(400, &d.w, [&] {
        auto* bar = d.w.findChild<QProgressBar*>(u"prgLongTask"_qs);
        heldWhileRunning = bar && bar->isVisible() && bar->value() > 0 &&
                           cancelButton(d.w)->isVisible() && !save->isEnabled() &&
                           ModalScope::anyOpen();
        // Keys typed meanwhile wait for the work, and none is lost.
        QTest::keyClicks(&d.w.txtMain(), u"typed"_qs);
        heldWhileRunning = heldWhileRunning && d.w.txtMain().toPlainText().isEmpty();
        cancelButton(d.w)->click();
    });
    const qint64 large = qint64(1) << 30;
    {
        WindowHold hold(d.w, d.w.txtMain());
        const auto result = runLongTask(hold, u"Working"_qs, {large, large}, [](LongTask& task) {
            while (!task.cancelled()) {
                task.advance(qint64(1) << 24);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return 1;
        });
        QVERIFY(!result);
        QVERIFY(heldWhileRunning);
        // The keys wait until the command lets the hold go.
        QVERIFY(d.w.txtMain().toPlainText().isEmpty());
    }
    QCOMPARE(d.w.txtMain().toPlainText(), u"typed"_qs);
    QVERIFY(save->isEnabled());
    QVERIFY(!ModalScope::anyOpen());
    QVERIFY(!d.w.findChild<QProgressBar*>(u"prgLongTask"_qs));

    // Work that finishes after a Cancel is thrown away, unless it committed before.
    WindowHold hold(d.w, d.w.txtMain());
    auto finishAfterCancel = [](bool commit) {
        return [commit](LongTask& task) {
            while (!task.cancelled())
                std::this_thread::yield();
            if (commit)
                task.commit();
            return 2;
        };
    };
    cancelWhenItStarts(d.w);
    QVERIFY(!runLongTask(hold, u"Working"_qs, {large, 1}, finishAfterCancel(false)));
    cancelWhenItStarts(d.w);
    QCOMPARE(runLongTask(hold, u"Working"_qs, {large, 1}, finishAfterCancel(true)), 2);
}

void tst_LongWork::cancelledOpenAndSaveChangeNothing() {
    DocumentWindow d;
    const QByteArray large = largeDocument();
    writeBytes(d.path(u"small.nv"_qs), "phone 555\r\n");
    writeBytes(d.path(u"large.nv"_qs), large);
    d.t.dialogs.queuePath(d.path(u"small.nv"_qs));
    d.run("mnuFileOpen");
    const QStringList before = d.shown();

    d.t.dialogs.queuePath(d.path(u"large.nv"_qs));
    cancelWhenItStarts(d.w);
    d.run("mnuFileOpen");
    QCOMPARE(d.w.txtMain().toPlainText(), u"phone 555"_qs);
    QCOMPARE(d.w.document().savePath(), d.path(u"small.nv"_qs));
    QCOMPARE(d.w.statusText(), u"Opening cancelled: "_qs + d.path(u"large.nv"_qs));
    QCOMPARE(d.w.windowTitle(), before[0]);

    // A large document changed, then its save cancelled: the file keeps its old bytes.
    d.t.dialogs.queuePath(d.path(u"large.nv"_qs));
    d.run("mnuFileOpen");
    d.w.txtMain().setPlainText(u"nothing left"_qs + QString(9 << 20, u'x'));
    cancelWhenItStarts(d.w);
    d.run("mnuFileSave");
    QCOMPARE(bytesOf(d.path(u"large.nv"_qs)), large);
    QCOMPARE(d.w.statusText(),
             u"Saving was cancelled; "_qs + d.path(u"large.nv"_qs) + u" is unchanged."_qs);
    QVERIFY(d.t.messages.calls.isEmpty());
    QCOMPARE(QDir(d.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void tst_LongWork::keysTypedWhileOpeningGoToTheNewDocument() {
    DocumentWindow d;
    const QByteArray large = largeDocument();
    writeBytes(d.path(u"large.nv"_qs), large);
    d.run("mnuFileNew");
    d.w.txtMain().setPlainText(u"old text"_qs);
    d.t.dialogs.queuePath(d.path(u"large.nv"_qs));
    QTimer::singleShot(0, &d.w, [&] {
        QTest::keyClicks(&d.w.txtMain(), u"ab"_qs);
        QInputMethodEvent composed;
        composed.setCommitString(u"\u00e9"_qs);
        QApplication::sendEvent(&d.w.txtMain(), &composed);
    });
    d.run("mnuFileOpen");
    QVERIFY(d.w.txtMain().toPlainText() == u"ab\u00e9"_qs + textOf(large));

    // Below the worker's size in bytes (though its units of progress are twice that) a document
    // opens at once: nothing to cancel.
    writeBytes(d.path(u"small.nv"_qs), large.first(inlineBelow - 1000));
    d.t.dialogs.queuePath(d.path(u"small.nv"_qs));
    const auto pressed = cancelWhenItStarts(d.w);
    d.run("mnuFileOpen");
    QCOMPARE(d.w.windowTitle(), u"small.nv - Notavo"_qs);
    QVERIFY(!*pressed);
}

void tst_LongWork::cancelWhileDecodingKeepsTheDocument() {
    DocumentWindow d;
    // Outside Latin-1, so that decoding takes a while after the bytes are read.
    QByteArray wide;
    while (wide.size() < (qsizetype(40) << 20))
        wide += "\xE2\x82\xAC and a line of text in euros\r\n";
    writeBytes(d.path(u"wide.nv"_qs), wide);
    d.run("mnuFileNew");
    d.w.txtMain().setPlainText(u"kept"_qs);
    // Pressed once the progress shows the file read; a machine that decodes before the window
    // sees that gets another try.
    bool pressed = false;
    for (int attempt = 0; attempt < 3 && !pressed; ++attempt) {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &d.w, [&] {
            auto* bar = d.w.findChild<QProgressBar*>(u"prgLongTask"_qs);
            if (!pressed && bar && bar->value() >= 500) {
                cancelButton(d.w)->click();
                pressed = true;
            }
        });
        watch.start(0);
        d.t.dialogs.queuePath(d.path(u"wide.nv"_qs));
        d.run("mnuFileOpen");
        if (!pressed)
            d.w.txtMain().setPlainText(u"kept"_qs);
    }
    if (!pressed)
        QSKIP("the file was decoded before the window saw it read");
    QCOMPARE(d.w.txtMain().toPlainText(), u"kept"_qs);
    QCOMPARE(d.w.statusText(), u"Opening cancelled: "_qs + d.path(u"wide.nv"_qs));
}

void tst_LongWork::editsDuringASaveNeverReachTheSavedText() {
    DocumentWindow d;
    d.run("mnuFileNew");
    TextView& view = d.w.txtMain();
    // Typed text lives in the buffer's growing store, which an edit may move.
    const QString typed = QString(qsizetype(10) << 20, u'a') + u"\nend"_qs;
    view.insertText(typed);
    const QString pasted = QString(qsizetype(20) << 20, u'p');
    QApplication::clipboard()->setText(pasted);
    QTimer::singleShot(0, &d.w, [&] {
        view.paste();
        QTest::keyClicks(&view, u"k"_qs);
    });
    d.t.dialogs.queuePath(d.path(u"saved.nv"_qs));
    d.run("mnuFileSaveas");
    QVERIFY(bytesOf(d.path(u"saved.nv"_qs)) ==
            QString(typed).replace(u"\n"_qs, u"\r\n"_qs).toLatin1() + "\r\n");
    QVERIFY(d.w.txtMain().toPlainText() == typed + pasted + u"k"_qs);
    QApplication::clipboard()->clear();
}

void tst_LongWork::convertRunsAsLongWork() {
    DocumentWindow d;
    const QByteArray large = largeDocument();
    const QString source = d.path(u"large.nv"_qs), target = d.path(u"large.txt"_qs);
    writeBytes(source, large);
    writeBytes(target, "target's own bytes\r\n");
    const QString cancelled = u"Converting was cancelled; nothing was written."_qs;

    // Cancelled while reading: no second dialog.
    d.t.dialogs.queuePath(source);
    auto pressed = cancelWhenItStarts(d.w);
    d.run("mnuConvertFile");
    QVERIFY(*pressed);
    QCOMPARE(d.t.dialogs.calls.size(), 1);
    QCOMPARE(d.w.statusText(), cancelled);

    // Cancelled while writing: the target keeps its bytes.
    d.t.dialogs.queuePath(source);
    d.t.dialogs.queuePath(target);
    d.t.dialogs.whileOpen = [&] {
        d.t.dialogs.whileOpen = [&] { pressed = cancelWhenItStarts(d.w); };
    };
    d.run("mnuConvertFile");
    QVERIFY(*pressed);
    QCOMPARE(bytesOf(target), QByteArray("target's own bytes\r\n"));
    QCOMPARE(d.w.statusText(), cancelled);
    QVERIFY(d.t.messages.calls.isEmpty());

    d.t.dialogs.queuePath(source);
    d.t.dialogs.queuePath(target);
    d.run("mnuConvertFile");
    QCOMPARE(bytesOf(target), large);
    QCOMPARE(d.lastBox().text, u"Sucess! Converted 'large.nv' to 'large.txt'"_qs);
    QCOMPARE(QDir(d.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void tst_LongWork::noThreadAndQuittingMidTask() {
    DocumentWindow d;
    WindowHold hold(d.w, d.w.txtMain());
    const LongTaskSize large{inlineBelow, 1};
    const auto onWhichThread = [](LongTask&) { return std::this_thread::get_id(); };
    // No thread to be had: the work is still done, here.
    LongWork::refuseThreadsForTesting(true);
    const auto here = runLongTask(hold, u"Working"_qs, large, onWhichThread);
    LongWork::refuseThreadsForTesting(false);
    QCOMPARE(here, std::optional(std::this_thread::get_id()));
    QVERIFY(runLongTask(hold, u"Working"_qs, large, onWhichThread) != here);

    // The program quits meanwhile: the work is told to stop, waited for, and its result dropped.
    std::atomic<bool> stopped{false};
    QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
    const auto result = runLongTask(hold, u"Working"_qs, large, [&stopped](LongTask& task) {
        while (!task.cancelled())
            std::this_thread::yield();
        stopped = true;
        return 1;
    });
    QVERIFY(stopped);
    QCOMPARE(result, std::nullopt);
}

QTEST_MAIN(tst_LongWork)
#include "tst_LongWork.moc"
