#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "fakes/TestPlatform.h"
#include "platform/QtPrinter.h"
#include "print/frmPrint.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return u"<%1 failed>"_qs.arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString numbered(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << u"Line %1 of the note"_qs.arg(i, 3, 10, QLatin1Char('0'));
    return lines.join(u'\n');
}
} // namespace

// The page as it reaches a PDF printer: one page, real text in the stored face and size.
class tst_printoutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onePageOfSelectableText();
};

void tst_printoutput::onePageOfSelectableText() {
    TestPlatform t;
    QTemporaryDir out;
    const QString pdf = out.filePath(u"page.pdf"_qs);
    QtPrinter printer;
    printer.printToPdf(pdf);
    t.platform.printer = &printer;
    t.store(u"data-font"_qs, {"fontname=DejaVu Serif", "fontbold=False", "fontitalic=False",
                              "fontsize=12", "gotfont=1"});
    frmMain w(t.platform, t.settings);
    w.fNameString()->setText(u"phone numbers.nv"_qs);
    w.txtMain().setText(numbered(200));
    w.txtMain().setEnabled(true);
    t.dialogs.queuePrinterOk();
    w.action(u"mnuFilePrint"_qs)->trigger();
    QVERIFY(QFile::exists(pdf));

    QVERIFY(run(u"pdfinfo"_qs, {pdf}).contains(QRegularExpression(u"\\nPages: +1\\n"_qs)));
    const QString text = run(u"pdftotext"_qs, {pdf, u"-"_qs});
    QVERIFY(text.contains(u"phone numbers.nv"_qs));
    QVERIFY(text.contains(u"Line 001 of the note\nLine 002 of the note\n"_qs));
    QVERIFY(text.contains(u"Line 050 of the note"_qs));
    QVERIFY(!text.contains(u"Line 060"_qs));
    QVERIFY(!text.contains(u"Line 200"_qs));

    const QString fonts = run(u"pdffonts"_qs, {pdf});
    QVERIFY(fonts.contains(u"\nDejaVuSerif "_qs));      // the body
    QVERIFY(fonts.contains(u"\nDejaVuSerif-Bold "_qs)); // the header takes the face

    // Glyph boxes in points: the header at 27.75 pt and the body at 12 pt, as on screen.
    const QString boxes = run(u"pdftotext"_qs, {u"-bbox"_qs, pdf, u"-"_qs});
    const auto height = [&boxes](const QString& word) {
        const QRegularExpression box(
            u"yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">%1<"_qs.arg(word));
        const QRegularExpressionMatch m = box.match(boxes);
        return m.hasMatch() ? m.captured(2).toDouble() - m.captured(1).toDouble() : 0.0;
    };
    const double header = height(u"numbers.nv"_qs);
    const double body = height(u"001"_qs);
    QVERIFY2(header > 27.0 && header < 35.0, qPrintable(QString::number(header)));
    QVERIFY2(body > 11.5 && body < 15.0, qPrintable(QString::number(body)));
}

QTEST_MAIN(tst_printoutput)
#include "tst_printoutput.moc"
