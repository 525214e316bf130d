#include "DocumentWindow.h"
#include "app/EditingBox.h"
#include "app/LongTask.h"
#include "platform/ModalScope.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <thread>

// Opening and saving large documents on a worker: the window stays live, shows progress, and
// Cancel leaves both the document in hand and the file on disk as they were.
class tst_LongWork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void progressHoldsTheWindowAndCancels();
    void largeDocumentOpensAndSavesExactly();
    void cancelledOpenAndSaveChangeNothing();
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

// Presses Cancel as soon as the window's loop turns, before any work has begun.
void cancelWhenItStarts(frmMain& w) {
    QTimer::singleShot(0, &w, [&w] { cancelButton(w)->click(); });
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
        QTest::keyClicks(d.w.txtMain().widget(), u"typed"_qs);
        heldWhileRunning = heldWhileRunning && d.w.txtMain().text().isEmpty();
        cancelButton(d.w)->click();
    });
    const bool finished = runLongTask(d.w, u"Working"_qs, qint64(1) << 30, [](LongTask& task) {
        while (!task.cancelled()) {
            task.advance(qint64(1) << 24);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        task.stop();
    });
    QVERIFY(!finished);
    QVERIFY(heldWhileRunning);
    QCOMPARE(d.w.txtMain().text(), u"typed"_qs);
    QVERIFY(save->isEnabled());
    QVERIFY(!ModalScope::anyOpen());
    QVERIFY(!d.w.findChild<QProgressBar*>(u"prgLongTask"_qs));

    // Work that ends on its own is done, even when Cancel comes too late to stop it.
    cancelWhenItStarts(d.w);
    QVERIFY(runLongTask(d.w, u"Working"_qs, qint64(1) << 30, [](LongTask&) {}));
}

void tst_LongWork::largeDocumentOpensAndSavesExactly() {
    DocumentWindow d;
    const QByteArray bytes = largeDocument();
    writeBytes(d.path(u"large.nv"_qs), bytes);
    d.t.dialogs.queuePath(d.path(u"large.nv"_qs));
    d.run("mnuFileOpen");
    QCOMPARE(d.w.windowTitle(), u"large.nv - Notavo"_qs);
    QString expected = QString::fromUtf8(bytes).replace(u"\r\n"_qs, u"\n"_qs);
    expected.chop(1);
    QVERIFY(d.w.txtMain().text() == expected);
    d.t.dialogs.queuePath(d.path(u"copy.nv"_qs));
    d.run("mnuFileSaveas");
    QCOMPARE(bytesOf(d.path(u"copy.nv"_qs)), bytes);
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
    QCOMPARE(d.w.txtMain().text(), u"phone 555"_qs);
    QCOMPARE(d.w.savePath, d.path(u"small.nv"_qs));
    QCOMPARE(d.w.statusText(), u"Opening cancelled: "_qs + d.path(u"large.nv"_qs));
    QCOMPARE(d.w.windowTitle(), before[0]);

    // A large document changed, then its save cancelled: the file keeps its old bytes.
    d.t.dialogs.queuePath(d.path(u"large.nv"_qs));
    d.run("mnuFileOpen");
    d.w.txtMain().setText(u"nothing left"_qs + QString(9 << 20, u'x'));
    cancelWhenItStarts(d.w);
    d.run("mnuFileSave");
    QCOMPARE(bytesOf(d.path(u"large.nv"_qs)), large);
    QCOMPARE(d.w.statusText(),
             u"Saving was cancelled; "_qs + d.path(u"large.nv"_qs) + u" is unchanged."_qs);
    QVERIFY(d.t.messages.calls.isEmpty());
    QCOMPARE(QDir(d.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

QTEST_MAIN(tst_LongWork)
#include "tst_LongWork.moc"
