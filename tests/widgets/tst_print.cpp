#include "document/Document.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "print/frmPrint.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using Box = FakeMessageBox::Call;

namespace {
const QString DataFont = u"data-font"_qs;
const QString DataCol = u"data-col"_qs;

// Prints the document with that name and text; the page window, or null when none was made.
frmPrint* print(TestPlatform& t, frmMain& w, const NamedFile& name, const QString& text) {
    w.document().setCurrentFile({.name = name});
    w.txtMain().setPlainText(text);
    w.txtMain().setEnabled(true);
    t.dialogs.queuePrinterOk();
    w.action(u"mnuFilePrint"_qs)->trigger();
    const auto pages = w.findChildren<frmPrint*>();
    return pages.isEmpty() ? nullptr : pages.last(); // an earlier one may await its deletion
}

// Text as it prints: face, weight, slant, size and alignment.
QString look(const QFont& f, Qt::Alignment a) {
    return u"%1%2%3 %4pt %5"_qs
        .arg(f.family(), f.bold() ? u" bold"_qs : QString(), f.italic() ? u" italic"_qs : QString())
        .arg(f.pointSizeF())
        .arg(a & Qt::AlignHCenter ? u"centred"_qs
             : a & Qt::AlignRight ? u"right"_qs
                                  : u"left"_qs);
}

// The body's look and its text colour.
QString look(const QTextEdit* body) {
    return look(body->font(), body->alignment()) + u' ' +
           body->palette().color(QPalette::Text).name();
}

QString defaultText() {
    return QTextEdit().palette().color(QPalette::Text).name();
}
} // namespace

class tst_print : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedCancelledThenUntitledPageFromDefaults();
    void storedSettingsShapeThePage();
    void unusableSettingsOrPrinterFailure();
};

void tst_print::refusedCancelledThenUntitledPageFromDefaults() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.action(u"mnuFilePrint"_qs)->trigger(); // "No file loaded"
    QCOMPARE(t.messages.calls,
             QList({Box{"No file loaded!", "Error", QMessageBox::Ok, QMessageBox::Critical}}));
    QVERIFY(t.dialogs.calls.isEmpty());

    w.setStatusText(u"Saved file to /x"_qs);
    t.dialogs.queueCancel();
    QVERIFY(!print(t, w, NamedFile::newDocument(), u"text"_qs));
    QCOMPARE(t.dialogs.calls.size(), 1);
    QCOMPARE(t.messages.calls.size(), 1);
    QCOMPARE(w.statusText(), u"Saved file to /x"_qs);
    QVERIFY(t.printer.pages.isEmpty());

    // An untitled page from the font dialog's values, with nothing stored.
    t.dialogs.font = FontChoice{u"DejaVu Sans Mono"_qs, true, true, 14.5f};
    frmPrint* p = print(t, w, NamedFile::newDocument(), QString());
    QCOMPARE(w.statusText(), u"Printing"_qs);
    QVERIFY(p && p->isVisible() && (p->windowFlags() & Qt::FramelessWindowHint));
    QCOMPARE(look(p->bar()->font(), p->bar()->alignment()),
             u"DejaVu Sans Mono bold 27.75pt centred"_qs);
    QCOMPARE(look(p->txtToPrint()),
             u"DejaVu Sans Mono bold italic 14.5pt left "_qs + defaultText());
    QCOMPARE(t.printer.pages.size(), 1);
    QCOMPARE(t.printer.pages[0].header, u"Untitled Document"_qs);
    QCOMPARE(t.printer.pages[0].body, QString());

    QCOMPARE(t.messages.calls.size(), 1);
    QPointer<frmPrint> gone = p;
    QTRY_VERIFY_WITH_TIMEOUT(gone.isNull(), 3000); // the real closeme tick
    QCOMPARE(t.messages.calls.last(),
             (Box{"Printed", "Notavo", QMessageBox::Ok, QMessageBox::NoIcon}));
    QCOMPARE(t.messages.calls.size(), 2);
    QCOMPARE(w.statusText(), u"Printed"_qs);
    // Set directly: the countdown from "Printing" still runs and turns it into "Ready".
    QVERIFY(w.statusbarclear()->isActive());
}

void tst_print::storedSettingsShapeThePage() {
    TestPlatform t;
    t.store(DataFont, {"fontname=DejaVu Serif", "fontbold=False", "fontitalic=True",
                       "fontsize=8.25", "gotfont=1", "fontalign=2"});
    t.store(DataCol, u"textcol"_qs, u"255"_qs);
    MainWindow w(t.platform, t.settings);
    frmPrint* p = print(t, w, NamedFile::at(u"notes.nv"_qs), u"one\ntwo"_qs);
    QCOMPARE(look(p->txtToPrint()), u"DejaVu Serif italic 8.25pt centred #ff0000"_qs);
    QCOMPARE(t.printer.pages[0].header, u"notes.nv"_qs);
    QCOMPARE(t.printer.pages[0].body, u"one\ntwo"_qs);
    p->closemeTick();
    QCOMPARE(t.messages.calls.size(), 1);

    // "gotfont" 0: the body keeps its initial font, the header still takes the stored face.
    t.store(DataFont, {"gotfont=0", "gotfontalign=0"});
    t.store(DataCol, u"gotfontcol"_qs, u"0"_qs);
    p = print(t, w, NamedFile::at(u"notes.nv"_qs), u"one\ntwo"_qs);
    QCOMPARE(p->txtToPrint()->font(), QTextEdit().font());
    QCOMPARE(p->bar()->font().family(), u"DejaVu Serif"_qs);
    QVERIFY(look(p->txtToPrint()).endsWith(u" left "_qs + defaultText()));
}

void tst_print::unusableSettingsOrPrinterFailure() {
    TestPlatform t;
    t.store(DataFont, {"gotfont=one", "fontname=No Such Face 4711", "fontbold=perhaps",
                       "fontsize=1e30", "gotfontalign=1", "fontalign=99999"});
    t.store(DataCol, u"textcol"_qs, u"blue"_qs);
    MainWindow w(t.platform, t.settings);
    t.dialogs.font = FontChoice{u"DejaVu Sans"_qs, true, false, 11.0f};
    frmPrint* p = print(t, w, NamedFile::at(u"a.nv"_qs), u"body"_qs);
    QCOMPARE(t.printer.pages.size(), 1);
    QVERIFY(look(p->txtToPrint()).endsWith(u" bold 11pt left "_qs + defaultText()));
    p->closemeTick();

    t.printer.failWith = u"The file \"/x.pdf\" could not be written."_qs;
    const qsizetype pages = w.findChildren<frmPrint*>().size();
    print(t, w, NamedFile::at(u"a.nv"_qs), u"body"_qs);
    QCOMPARE(w.findChildren<frmPrint*>().size(), pages); // no page window
    QCOMPARE(t.messages.calls.size(), 2);
    const Box box = t.messages.calls[1];
    QCOMPARE(box, (Box{box.text, "Error", QMessageBox::Ok, QMessageBox::Critical}));
    QVERIFY(box.text.contains(u"/x.pdf"_qs));
    QCOMPARE(w.statusText(), u"Printing"_qs);
}

QTEST_MAIN(tst_print)
#include "tst_print.moc"
