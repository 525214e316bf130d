#include "document/DocumentFile.h"
#include "document/FileErrors.h"
#include "editor/TextView.h"
#include "text/TextBuffer.h"
#include "widgets/DocumentWindow.h"

#include <QCheckBox>

using Box = FakeMessageBox::Call;

using Kind = FakeCommonDialog::Kind;

namespace {
const QStringList NewFile = {"New File - Notavo", "Not saved", "Not saved", "New file started"};
const QString NotavoFilter = u"Notavo Files (*.nv)|*.nv"_qs;
const QString SixKinds =
    u"Notavo Files (*.nv)|*.nv|Text Files (*.txt)|*.txt|DAT File (Data File) (*.dat)|*.dat|"
    "PWN Script (*.pwn)|*.pwn|PWN Include (*.inc)|*.inc|Other (*.*)|*.*"_qs;

void checkDialog(const FakeCommonDialog& d, Kind kind, const QString& title,
                 const QString& filter) {
    QVERIFY(!d.calls.isEmpty());
    QCOMPARE(d.calls.last().kind, kind);
    QCOMPARE(d.calls.last().title, title);
    QCOMPARE(d.calls.last().filter, filter);
}

// The error report for a write to path, whose number the file layer decides.
void checkWriteReport(const DocumentWindow& f, const QString& path) {
    const auto expected = replaceFile(path, "x");
    QVERIFY(expected.has_value());
    QCOMPARE(f.lastBox().title, u"Error"_qs);
    QCOMPARE(f.lastBox().icon, QMessageBox::Critical);
    QCOMPARE(f.lastBox().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(
        f.lastBox().text.startsWith(u"Error ID: "_qs + QString::number(expected->number) + u'\r'));
    QVERIFY(f.lastBox().text.endsWith(AbortedLine));
}
} // namespace

class tst_FileCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newFromAnyState() {
        DocumentWindow f;
        f.w.toolbarClick(u"NewFile"_qs);
        QVERIFY(f.w.txtMain().isEnabled());
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QCOMPARE(f.shown(), NewFile);
        f.t.dialogs.queuePath(f.path("a.nv"));
        f.run("mnuFileSave");
        f.w.txtMain().setPlainText(u"text"_qs);
        f.run("mnuFileNew");
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QCOMPARE(f.w.document().savePath(), QString());
        QCOMPARE(f.w.windowTitle(), u"New File - Notavo"_qs);
    }

    void saveFirstThroughDialogThenWithout() {
        DocumentWindow f;
        f.run("mnuFileNew");
        const QString path = f.path("empty.nv");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileSave");
        checkDialog(f.t.dialogs, Kind::Save, u"Notavo | Save File"_qs, NotavoFilter);
        QCOMPARE(bytesOf(path), QByteArray("\r\n"));
        QCOMPARE(f.shown(),
                 QStringList({"empty.nv - Notavo", "empty.nv", path, "Saved file to " + path}));

        f.w.txtMain().setPlainText(u"Grüße\n€ 5"_qs);
        f.w.toolbarClick(u"Save"_qs);
        QCOMPARE(f.t.dialogs.calls.size(), 1);
        QCOMPARE(bytesOf(path), QByteArray("Gr\xc3\xbc\xc3\x9f"
                                           "e\r\n\xe2\x82\xac 5\r\n"));
        QCOMPARE(f.shown(), QStringList({"empty.nv - Notavo", "empty.nv", path,
                                         "Auto-Saved file to " + path}));
    }

    void saveCancelledOrFailing() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.t.dialogs.queueCancel();
        f.run("mnuFileSave");
        QVERIFY(!f.w.document().hasSavePath());
        QCOMPARE(f.name(), u"Not saved"_qs);
        QVERIFY(f.t.messages.calls.isEmpty());

        f.w.txtMain().setPlainText(u"keep"_qs);
        const QString path = f.path("missing/doc.nv");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileSave");
        checkWriteReport(f, path);
        QVERIFY(f.w.document().hasSavePath());
        QCOMPARE(f.w.document().savePath(), path);
        QCOMPARE(f.shown(), QStringList({"New File - Notavo", "doc.nv", path, "New file started"}));
        QCOMPARE(f.w.txtMain().toPlainText(), u"keep"_qs);
    }

    void saveAsksBeforeReplacingAnotherProgramsChange() {
        DocumentWindow f;
        const QString path = f.path("a.nv");
        writeBytes(path, "theirs\r\n");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileOpen");
        f.w.txtMain().setPlainText(u"mine"_qs);
        writeBytes(path, "theirs, changed\r\n");
        // No and Escape (the fake's Ok) write nothing; Yes replaces.
        f.t.messages.answers << QMessageBox::No;
        f.run("mnuFileSave");
        f.run("mnuFileSave");
        QCOMPARE(f.t.messages.calls.size(), 2);
        QCOMPARE(f.lastBox(),
                 (Box{u"\"a.nv\" was changed by another program. Replace it with "
                      "this text?"_qs,
                      u"Save"_qs, QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning}));
        QCOMPARE(bytesOf(path), QByteArray("theirs, changed\r\n"));
        f.t.messages.answers << QMessageBox::Yes;
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), QByteArray("mine\r\n"));
        QCOMPARE(f.w.statusText(), u"Auto-Saved file to "_qs + path);
        // Its own save is no other program's change; a file picked in the dialog is not asked
        // about.
        f.run("mnuFileSave");
        writeBytes(path, "theirs again\r\n");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileSaveas");
        QCOMPARE(bytesOf(path), QByteArray("mine\r\n"));
        QCOMPARE(f.t.messages.calls.size(), 3);
    }

    void saveAsMovesTheLocationAndSaveCustomAddsNoExtension() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.w.txtMain().setPlainText(u"one"_qs);
        f.t.dialogs.queuePath(f.path("a.nv"));
        f.run("mnuFileSave");
        f.t.dialogs.queuePath(f.path("b.nv"));
        f.run("mnuFileSaveas");
        checkDialog(f.t.dialogs, Kind::Save, u"Notavo | Save File"_qs, NotavoFilter);
        QCOMPARE(f.shown().mid(0, 2), QStringList({"b.nv - Notavo", "b.nv"}));
        f.w.txtMain().setPlainText(u"two"_qs);
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(f.path("a.nv")), QByteArray("one\r\n"));
        QCOMPARE(bytesOf(f.path("b.nv")), QByteArray("two\r\n"));

        f.t.dialogs.queuePath(f.path("notes"));
        f.run("mnuFileSaveasCustom");
        checkDialog(f.t.dialogs, Kind::Save, u"Notavo | Save File As Custom"_qs, SixKinds);
        QCOMPARE(bytesOf(f.path("notes")), QByteArray("two\r\n"));
        QCOMPARE(f.shown(), QStringList({"notes - Notavo", "notes", f.path("notes"),
                                         "Saved file to " + f.path("notes")}));

        // A failing Save As has moved the location but not the name or the title.
        const QString bad = f.path("nowhere/c.nv");
        f.t.dialogs.queuePath(bad);
        f.run("mnuFileSaveas");
        checkWriteReport(f, bad);
        QCOMPARE(f.w.document().savePath(), bad);
        QCOMPARE(f.shown().mid(0, 3), QStringList({"notes - Notavo", "notes", bad}));
    }

    void openAndSaveKeepsTheBytes() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.t.dialogs.queuePath(f.path("earlier.nv"));
        f.run("mnuFileSave");
        const QString path = f.path("f.nv");
        writeBytes(path, "x\r\ny\r\n");
        f.t.dialogs.queuePath(path);
        f.w.toolbarClick(u"Open"_qs);
        checkDialog(f.t.dialogs, Kind::Open, u"Notavo | Open File"_qs, NotavoFilter);
        QCOMPARE(f.w.txtMain().toPlainText(), u"x\ny"_qs);
        QCOMPARE(f.shown(), QStringList({"f.nv - Notavo", "f.nv", path, "Opened file: " + path}));
        f.run("mnuFileSave");
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), QByteArray("x\r\ny\r\n"));
        QCOMPARE(bytesOf(f.path("earlier.nv")), QByteArray("\r\n"));

        const QString empty = f.path("empty.txt");
        writeBytes(empty, "");
        f.t.dialogs.queuePath(empty);
        f.run("mnuOpenCustom");
        checkDialog(f.t.dialogs, Kind::Open, u"Notavo | Open File"_qs, SevenKinds);
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QCOMPARE(f.w.windowTitle(), u"empty.txt - Notavo"_qs);
    }

    void openFailingOrCancelledChangesNothing() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.w.txtMain().setPlainText(u"in hand"_qs);
        f.t.dialogs.queueCancel();
        f.run("mnuFileOpen");
        const QString missing = f.path("missing.nv");
        f.t.dialogs.queuePath(missing);
        f.run("mnuFileOpen");
        QCOMPARE(f.t.messages.calls.size(), 1);
        QCOMPARE(f.lastBox().title, u"Error"_qs);
        QCOMPARE(f.lastBox().icon, QMessageBox::Critical);
        QVERIFY(f.lastBox().text.startsWith(u"Error ID: 53\r"_qs));
        QVERIFY(f.lastBox().text.contains(missing));
        QVERIFY(f.lastBox().text.endsWith(AbortedLine));
        QCOMPARE(f.w.txtMain().toPlainText(), u"in hand"_qs);
        QCOMPARE(f.shown(), NewFile);
        QVERIFY(!f.w.document().hasSavePath());
    }

    void grownPastWhatOpensIsNotSaved() {
        DocumentWindow f;
        const QString path = f.path("doc.nv");
        writeBytes(path, "small\r\n");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileOpen");
        // Three bytes a character in UTF-8.
        const qsizetype length = maxDocumentBytes / 3 + 1;
        f.w.txtMain().setPlainText(QString(length, QChar(0x20AC)));
        f.run("mnuFileSave");
        QVERIFY(f.lastBox().text.startsWith(u"Error ID: 7\r"_qs));
        QCOMPARE(bytesOf(path), QByteArray("small\r\n"));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(f.w.txtMain().buffer().size(), length);
    }

    void clear() {
        DocumentWindow f;
        // Cancelled at once: the read-out keeps its designed text, line break and all.
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queueCancel();
        f.run("mnuFileClear");
        QCOMPARE(f.shown(), QStringList({"Notavo", "No file loaded", "No file loaded\n", "Ready"}));
        f.t.messages.calls.clear();
        f.run("mnuFileNew");
        f.t.dialogs.queuePath(f.path("old.nv"));
        f.run("mnuFileSave");
        const QString target = f.path("target.nv");
        writeBytes(target, "before\r\n");
        f.w.txtMain().setPlainText(u"after"_qs);
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queuePath(target);
        f.run("mnuFileClear");
        QCOMPARE(f.t.messages.calls.first(),
                 (Box{"Do you want to save first?", "Save", QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::Question}));
        checkDialog(f.t.dialogs, Kind::Save, u"Notavo | Save File"_qs, u"*.nv|*.nv"_qs);
        QCOMPARE(bytesOf(target), QByteArray("before\r\nafter\r\n"));
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QVERIFY(!f.w.document().hasSavePath());
        QCOMPARE(f.w.document().savePath(), QString());
        QCOMPARE(f.shown(), QStringList({"Notavo", "No file loaded", "No file loaded", "Cleared"}));
    }

    void clearCancelledNoOrFailing() {
        DocumentWindow f;
        const QString path = f.path("doc.nv");
        writeBytes(path, "doc\n");
        f.t.dialogs.queuePath(path);
        f.run("mnuFileOpen");
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queueCancel();
        f.run("mnuFileClear");
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QCOMPARE(f.shown(),
                 QStringList({"doc.nv - Notavo", "doc.nv", path, "Opened file: " + path}));
        QCOMPARE(bytesOf(path), QByteArray("doc\n"));
        // The emptied box must never be written over the file by Save or auto-save.
        QVERIFY(!f.w.document().hasSavePath());
        f.w.autosavecheck()->setChecked(true);
        f.w.autosavetimerTick();
        f.w.autosavecheck()->setChecked(false);
        QCOMPARE(bytesOf(path), QByteArray("doc\n"));
        // What is typed next is a new document's: it is saved as New would save it, not in
        // the line breaks of the file cleared away.
        f.w.txtMain().setPlainText(u"a\nb"_qs);
        f.t.dialogs.queuePath(f.path("next.nv"));
        f.run("mnuFileSave");
        QCOMPARE(f.t.dialogs.calls.last().title, u"Notavo | Save File"_qs);
        QCOMPARE(bytesOf(f.path("next.nv")), QByteArray("a\r\nb\r\n"));
        QCOMPARE(bytesOf(path), QByteArray("doc\n"));

        f.w.txtMain().setPlainText(u"unsaved"_qs);
        const QString bad = f.path("nowhere/x.nv");
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queuePath(bad);
        f.run("mnuFileClear");
        QVERIFY(f.lastBox().text.startsWith(u"Error ID: "_qs));
        QCOMPARE(f.w.txtMain().toPlainText(), u"unsaved"_qs); // not lost unsaved

        // Escape or the close box: neither saved nor cleared, the box and the file as they were.
        const QStringList before = f.shown();
        f.t.messages.answers << MessageBox::Dismissed;
        f.run("mnuFileClear");
        QCOMPARE(f.w.txtMain().toPlainText(), u"unsaved"_qs);
        QCOMPARE(f.shown(), before);
        QVERIFY(f.w.document().hasSavePath());
        QCOMPARE(f.w.document().savePath(), f.path("next.nv"));

        f.t.messages.answers << QMessageBox::No;
        f.run("mnuFileClear");
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        QCOMPARE(f.shown().mid(0, 3),
                 QStringList({"next.nv - Notavo", "No file loaded", "No file loaded"}));
        QVERIFY(!f.w.document().hasSavePath());
        QCOMPARE(f.w.document().savePath(), f.path("next.nv"));
        const qsizetype dialogs = f.t.dialogs.calls.size();
        f.t.dialogs.queueCancel();
        f.run("mnuFileSave");
        QCOMPARE(f.t.dialogs.calls.size(), dialogs + 1);
    }
};

QTEST_MAIN(tst_FileCommands)
#include "tst_FileCommands.moc"
