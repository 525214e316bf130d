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
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString numbered(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Line %1 of the note").arg(i, 3, 10, QLatin1Char('0'));
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
    const QString pdf = out.filePath(QStringLiteral("page.pdf"));
    QtPrinter printer;
    printer.printToPdf(pdf);
    t.platform.printer = &printer;
    t.store(QStringLiteral("data-font"), {"fontname=DejaVu Serif", "fontbold=False",
                                          "fontitalic=False", "fontsize=12", "gotfont=1"});
    frmMain w(t.platform, t.settings);
    w.fNameString()->setText(QStringLiteral("phone numbers.nv"));
    w.txtMain().setText(numbered(200));
    w.txtMain().setEnabled(true);
    t.dialogs.queuePrinterOk();
    w.action(QStringLiteral("mnuFilePrint"))->trigger();
    QVERIFY(QFile::exists(pdf));

    QVERIFY(run(QStringLiteral("pdfinfo"), {pdf})
                .contains(QRegularExpression(QStringLiteral("\\nPages: +1\\n"))));
    const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.contains(QStringLiteral("phone numbers.nv")));
    QVERIFY(text.contains(QStringLiteral("Line 001 of the note\nLine 002 of the note\n")));
    QVERIFY(text.contains(QStringLiteral("Line 050 of the note")));
    QVERIFY(!text.contains(QStringLiteral("Line 060")));
    QVERIFY(!text.contains(QStringLiteral("Line 200")));

    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    QVERIFY(fonts.contains(QStringLiteral("\nDejaVuSerif ")));      // the body
    QVERIFY(fonts.contains(QStringLiteral("\nDejaVuSerif-Bold "))); // the header takes the face

    // Glyph boxes in points: the header at 27.75 pt and the body at 12 pt, as on screen.
    const QString boxes =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const auto height = [&boxes](const QString& word) {
        const QRegularExpression box(
            QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">%1<").arg(word));
        const QRegularExpressionMatch m = box.match(boxes);
        return m.hasMatch() ? m.captured(2).toDouble() - m.captured(1).toDouble() : 0.0;
    };
    const double header = height(QStringLiteral("numbers.nv"));
    const double body = height(QStringLiteral("001"));
    QVERIFY2(header > 27.0 && header < 35.0, qPrintable(QString::number(header)));
    QVERIFY2(body > 11.5 && body < 15.0, qPrintable(QString::number(body)));
}

QTEST_MAIN(tst_printoutput)
#include "tst_printoutput.moc"
