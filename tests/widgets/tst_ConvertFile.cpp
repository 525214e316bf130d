#include "editor/TextView.h"
#include "widgets/DocumentWindow.h"

using Box = FakeMessageBox::Call;

class tst_ConvertFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convertsAndLeavesTheDocumentInHand() {
        DocumentWindow f;
        f.run("mnuFileNew");
        f.w.txtMain().setPlainText(u"mine"_qs);
        const QString doc = f.path("doc.nv");
        f.t.dialogs.queuePath(doc);
        f.run("mnuFileSave");
        const QString source = f.path("src.nv");
        writeBytes(source, "a\r\nb\r\n");
        f.t.dialogs.queuePath(source);
        f.t.dialogs.queuePath(f.path("out.txt"));
        f.run("mnuConvertFile");
        const auto& calls = f.t.dialogs.calls;
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[1].kind, FakeCommonDialog::Open);
        QCOMPARE(calls[1].title, u"Notavo | Convert File | Choose file to be converted"_qs);
        QCOMPARE(calls[1].filter, SevenKinds);
        QCOMPARE(calls[2].kind, FakeCommonDialog::Save);
        QCOMPARE(calls[2].title, u"Notavo | Convert File | Choose where to save converted file"_qs);
        QCOMPARE(calls[2].filter, SevenKinds);
        QCOMPARE(bytesOf(f.path("out.txt")), QByteArray("a\r\nb\r\n"));
        QCOMPARE(f.lastBox(), (Box{"Sucess! Converted 'src.nv' to 'out.txt'", "Notavo",
                                   QMessageBox::Ok, QMessageBox::NoIcon}));
        QCOMPARE(f.w.txtMain().toPlainText(), u"mine"_qs);
        QCOMPARE(f.w.windowTitle(), u"doc.nv - Notavo"_qs);
        QCOMPARE(f.w.statusText(), u"Saved file to "_qs + doc);
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(doc), QByteArray("mine\r\n"));
    }

    void edgeFiles() {
        DocumentWindow f;
        const QString self = f.path("self.nv");
        writeBytes(self, "keep\r\n");
        f.t.dialogs.queuePath(self);
        f.t.dialogs.queuePath(self);
        f.run("mnuConvertFile");
        QCOMPARE(bytesOf(self), QByteArray("keep\r\n"));

        writeBytes(self, "no break");
        f.t.dialogs.queuePath(self);
        f.t.dialogs.queuePath(f.path("broken.dat"));
        f.run("mnuConvertFile");
        QCOMPARE(bytesOf(f.path("broken.dat")), QByteArray("no break\r\n"));
    }

    void cancelsAndFailures() {
        DocumentWindow f;
        f.t.dialogs.queueCancel();
        f.run("mnuConvertFile");
        QCOMPARE(f.t.dialogs.calls.size(), 1);
        writeBytes(f.path("s.nv"), "s\r\n");
        f.t.dialogs.queuePath(f.path("s.nv"));
        f.t.dialogs.queueCancel();
        f.run("mnuConvertFile");
        QVERIFY(!QFile::exists(f.path("never.nv")));
        QVERIFY(f.t.messages.calls.isEmpty());

        f.t.dialogs.queuePath(f.path("missing.nv"));
        f.run("mnuConvertFile");
        QCOMPARE(f.t.messages.calls.size(), 1);
        QVERIFY(f.lastBox().text.startsWith(u"Error ID: 53\r"_qs));
        QCOMPARE(f.lastBox().title, u"Error"_qs);
        QCOMPARE(f.t.dialogs.calls.size(), 4); // no save dialog after the failed read
    }
};

QTEST_MAIN(tst_ConvertFile)
#include "tst_ConvertFile.moc"
