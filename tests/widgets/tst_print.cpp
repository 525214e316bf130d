#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "fakes/TestPlatform.h"
#include "print/frmPrint.h"

#include <QAction>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using Box = FakeMessageBox::Call;

namespace {
const QString DataFont = u"data-font"_qs;
const QString DataCol = u"data-col"_qs;
const Qt::Alignment HorizontalAlignment = Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter;

void print(frmMain& w) {
    w.action(u"mnuFilePrint"_qs)->trigger();
}

frmPrint* page(frmMain& w) {
    return w.findChild<frmPrint*>(u"frmPrint"_qs);
}

void document(frmMain& w, const QString& name, const QString& text) {
    w.fNameString()->setText(name);
    w.txtMain().setText(text);
    w.txtMain().setEnabled(true);
}
} // namespace

class tst_print : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedOrCancelled();
    void untitledPageFromDefaults();
    void storedSettingsShapeThePage();
    void unusableSettingsStillPrint();
    void printerFailureIsReported();
};

void tst_print::refusedOrCancelled() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    print(w); // "No file loaded"
    QCOMPARE(t.messages.calls,
             QList({Box{"No file loaded!", "Error", QMessageBox::Ok, QMessageBox::Critical}}));
    QVERIFY(t.dialogs.calls.isEmpty());

    document(w, u"Not saved"_qs, u"text"_qs);
    w.setStatusText(u"Saved file to /x"_qs);
    t.dialogs.queueCancel();
    print(w);
    QCOMPARE(t.dialogs.calls.size(), 1);
    QCOMPARE(t.dialogs.calls[0].kind, FakeCommonDialog::Printer);
    QCOMPARE(t.dialogs.calls[0].title, u"Notavo | Print File"_qs);
    QCOMPARE(t.messages.calls.size(), 1);
    QCOMPARE(w.statusText(), u"Saved file to /x"_qs);
    QVERIFY(t.printer.pages.isEmpty());
    QVERIFY(!page(w));
}

void tst_print::untitledPageFromDefaults() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    t.dialogs.font = FontChoice{u"DejaVu Sans Mono"_qs, true, true, 14.5f};
    document(w, u"Not saved"_qs, QString());
    t.dialogs.queuePrinterOk();
    print(w);
    QCOMPARE(w.statusText(), u"Printing"_qs);
    QVERIFY(w.statusbarclear()->isActive());
    frmPrint* p = page(w);
    QVERIFY(p && p->isVisible());
    QVERIFY(p->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(p->size(), QSize(788, 1077));
    QCOMPARE(p->bar()->text(), u"Untitled Document"_qs);
    const QFont header = p->bar()->font();
    QCOMPARE(header.family(), u"DejaVu Sans Mono"_qs);
    QVERIFY(header.bold() && !header.italic());
    QCOMPARE(header.pointSizeF(), 27.75);
    QCOMPARE(p->bar()->alignment(), Qt::AlignCenter);
    const QFont body = p->txtToPrint()->font();
    QCOMPARE(body.family(), u"DejaVu Sans Mono"_qs);
    QVERIFY(body.bold() && body.italic());
    QCOMPARE(body.pointSizeF(), 14.5);
    QCOMPARE(p->txtToPrint()->palette().color(QPalette::Text),
             QTextEdit().palette().color(QPalette::Text));
    QCOMPARE(p->txtToPrint()->alignment() & HorizontalAlignment, Qt::AlignLeft);
    QCOMPARE(p->txtToPrint()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(p->txtToPrint()->lineWrapMode(), QTextEdit::WidgetWidth);
    QCOMPARE(t.printer.pages.size(), 1);
    QCOMPARE(t.printer.pages[0].header, u"Untitled Document"_qs);
    QCOMPARE(t.printer.pages[0].body, QString());

    QCOMPARE(p->closeme()->interval(), 200);
    QVERIFY(p->closeme()->isActive());
    QVERIFY(t.messages.calls.isEmpty());
    QPointer<frmPrint> gone = p;
    QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 3000); // the real closeme tick
    // Titled with the application title.
    QCOMPARE(t.messages.calls,
             QList({Box{"Printed", "Notavo", QMessageBox::Ok, QMessageBox::NoIcon}}));
    QCOMPARE(w.statusText(), u"Printed"_qs);
    // Set directly: the countdown from "Printing" still runs and turns it into "Ready".
    QVERIFY(w.statusbarclear()->isActive());
    w.statusbarclearTick();
    QCOMPARE(w.statusText(), u"Ready"_qs);
}

void tst_print::storedSettingsShapeThePage() {
    TestPlatform t;
    t.store(DataFont, {"fontname=DejaVu Serif", "fontbold=False", "fontitalic=True",
                       "fontsize=8.25", "gotfont=1", "fontalign=2"});
    t.store(DataCol, u"textcol"_qs, u"255"_qs);
    frmMain w(t.platform, t.settings);
    document(w, u"notes.nv"_qs, u"one\ntwo"_qs);
    t.dialogs.queuePrinterOk();
    print(w);
    frmPrint* p = page(w);
    QVERIFY(p);
    QCOMPARE(p->bar()->text(), u"notes.nv"_qs); // faces: tst_printoutput
    QVERIFY(!p->txtToPrint()->font().bold() && p->txtToPrint()->font().italic());
    QCOMPARE(p->txtToPrint()->font().pointSizeF(), 8.25);
    QCOMPARE(p->txtToPrint()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(p->txtToPrint()->alignment() & HorizontalAlignment, Qt::AlignHCenter);
    QCOMPARE(t.printer.pages[0].body, u"one\ntwo"_qs);
    p->closemeTick();
    QCOMPARE(t.messages.calls.size(), 1);

    // "gotfont" 0: the body keeps its initial font, the header still takes the stored face.
    t.store(DataFont, {"gotfont=0", "gotfontalign=0"});
    t.store(DataCol, u"gotfontcol"_qs, u"0"_qs);
    t.dialogs.queuePrinterOk();
    print(w);
    QCOMPARE(w.findChildren<frmPrint*>().size(), 2); // the first one awaits its deletion
    p = w.findChildren<frmPrint*>().last();
    QCOMPARE(p->txtToPrint()->font(), QTextEdit().font());
    QCOMPARE(p->bar()->font().family(), u"DejaVu Serif"_qs);
    QCOMPARE(p->txtToPrint()->palette().color(QPalette::Text),
             QTextEdit().palette().color(QPalette::Text));
    QCOMPARE(p->txtToPrint()->alignment() & HorizontalAlignment, Qt::AlignLeft);
}

void tst_print::unusableSettingsStillPrint() {
    TestPlatform t;
    t.store(DataFont, {"gotfont=one", "fontname=No Such Face 4711", "fontbold=perhaps",
                       "fontsize=1e30", "gotfontalign=1", "fontalign=99999"});
    t.store(DataCol, u"textcol"_qs, u"blue"_qs);
    frmMain w(t.platform, t.settings);
    t.dialogs.font = FontChoice{u"DejaVu Sans"_qs, true, false, 11.0f};
    document(w, u"a.nv"_qs, u"body"_qs);
    t.dialogs.queuePrinterOk();
    print(w);
    frmPrint* p = page(w);
    QVERIFY(p);
    QCOMPARE(t.printer.pages.size(), 1);
    QVERIFY(p->txtToPrint()->font().bold()); // the dialog's value
    QCOMPARE(p->txtToPrint()->font().pointSizeF(), 11.0);
    QCOMPARE(p->txtToPrint()->alignment() & HorizontalAlignment, Qt::AlignLeft);
    QCOMPARE(p->txtToPrint()->palette().color(QPalette::Text),
             QTextEdit().palette().color(QPalette::Text));
}

void tst_print::printerFailureIsReported() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    document(w, u"a.nv"_qs, u"body"_qs);
    t.printer.failWith = u"The file \"/x.pdf\" could not be written."_qs;
    t.dialogs.queuePrinterOk();
    print(w);
    QVERIFY(!page(w));
    QCOMPARE(t.messages.calls.size(), 1);
    QCOMPARE(t.messages.calls[0].title, u"Error"_qs);
    QCOMPARE(t.messages.calls[0].icon, QMessageBox::Critical);
    QVERIFY(t.messages.calls[0].text.contains(u"/x.pdf"_qs));
    QCOMPARE(w.statusText(), u"Printing"_qs);
}

QTEST_MAIN(tst_print)
#include "tst_print.moc"
