#include "document/RecoveryJournal.h"
#include "editor/TextView.h"
#include "widgets/DocumentWindow.h"
#include "wiring/DocumentCommands.h"

#include <QTime>
#include <optional>

namespace {
// A window's journal on the disk, as it is when a run is killed.
void synced(DocumentWindow& f) {
    f.w.recoveryJournal().flush();
    f.w.recoveryJournal().waitForWorker();
}

QString question(const QString& what) {
    return u"Notavo did not close normally. Recover the text of %1 (last changed %2)?"_qs.arg(
        what, QTime::currentTime().toString(u"HH:mm"_qs));
}
} // namespace

// The text of a run that did not close normally, offered at the next start.
class tst_Recovery : public QObject {
    Q_OBJECT
private slots:
    void init() { TestPlatform::sharedState = state.path(); }
    void cleanup() { TestPlatform::sharedState.clear(); }

    void yesRestoresTheDocument() {
        std::optional<DocumentWindow> killed(std::in_place);
        const QString path = files.filePath(u"notes.nv"_qs);
        writeBytes(path, "doc\n");
        killed->t.dialogs.queuePath(path);
        killed->run("mnuFileOpen");
        killed->w.txtMain().setCursorPosition(3);
        QTest::keyClicks(&killed->w.txtMain(), u" more"_qs);
        synced(*killed);
        const QStringList shown = killed->shown().mid(0, 3);
        killed->w.hide();
        killed.reset(); // not a deliberate close: the journal stays
        writeBytes(path, "changed by another program\n");

        DocumentWindow f;
        f.t.messages.answers << QMessageBox::Yes;
        offerDocumentRecovery(f.w);
        QCOMPARE(f.t.messages.calls.size(), 1);
        QCOMPARE(f.lastBox(),
                 (FakeMessageBox::Call{question(u"\"notes.nv\""_qs), u"Notavo"_qs,
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Question}));
        QCOMPARE(f.w.txtMain().toPlainText(), u"doc more"_qs);
        QCOMPARE(f.shown().mid(0, 3), shown);
        QVERIFY(f.w.txtMain().isEnabled());
        QCOMPARE(bytesOf(path), QByteArray("changed by another program\n")); // until a save
        // Saved where it was, in its own line breaks, once the user agrees to replace the other
        // program's change made after the crash.
        f.t.messages.answers << QMessageBox::No << QMessageBox::Yes;
        f.run("mnuFileSave");
        QCOMPARE(f.lastBox().text,
                 u"\"notes.nv\" was changed by another program. Replace it with this text?"_qs);
        QCOMPARE(bytesOf(path), QByteArray("changed by another program\n"));
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), QByteArray("doc more\n"));
    }

    void escapeKeepsItAndNoDropsIt() {
        {
            DocumentWindow killed;
            killed.run("mnuFileNew");
            QTest::keyClicks(&killed.w.txtMain(), u"555-0199"_qs);
            synced(killed);
        }
        const QString newDocument = question(u"the new document"_qs);
        for (auto answer : {MessageBox::Dismissed, QMessageBox::No}) {
            DocumentWindow f;
            f.t.messages.answers << answer;
            offerDocumentRecovery(f.w);
            QCOMPARE(f.lastBox().text, newDocument);
            QVERIFY(!f.w.txtMain().toPlainText().contains(u"555"_qs));
            QCOMPARE(f.shown().mid(0, 3),
                     QStringList({"Notavo", "No file loaded", "No file loaded\n"}));
        }
        DocumentWindow after;
        offerDocumentRecovery(after.w);
        QCOMPARE(after.t.messages.calls.size(), 0);
    }

private:
    QTemporaryDir state;
    QTemporaryDir files;
};

QTEST_MAIN(tst_Recovery)
#include "tst_Recovery.moc"
