// Where LineLayout puts characters, against QTextLayout laying out the whole line at once: a
// click or the caret must not land elsewhere because a line is long (laid out in segments), was
// edited or was laid out before.
#include "editor/LineLayout.h"
#include "text/TextBuffer.h"

#include <QTextLayout>
#include <QtTest>

namespace {

// Words of narrow and wide letters with a tab now and then, as tab-separated data.
QString mixedLine(qsizetype length) {
    QString line;
    for (int i = 0; line.size() < length; ++i)
        line += QString(1 + i * 7 % 9, i % 3 ? u'i' : u'W') + (i % 5 ? u' ' : u'\t');
    return line;
}

// Walks the line from its start, as scrolling along it does, comparing each x with the whole
// line's and finding each position back from its x.
void compareWithWholeLine(const LineLayout& layout, const TextBuffer& text, qsizetype line) {
    QTextLayout whole(text.line(line), layout.font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(80);
    whole.setTextOption(option);
    whole.beginLayout();
    QTextLine wholeLine = whole.createLine();
    wholeLine.setLineWidth(1e6);
    whole.endLayout();
    const qsizetype start = text.lineStart(line);
    for (qsizetype at = 0; at <= text.lineLength(line); at += 61) {
        const qreal x = layout.exactX(start + at);
        QVERIFY2(qAbs(x - wholeLine.cursorToX(int(at))) < 1,
                 qPrintable(u"%1: %2, not %3"_qs.arg(at).arg(x).arg(wholeLine.cursorToX(int(at)))));
        QCOMPARE(layout.positionInLineAt(line, x), start + at);
    }
}

} // namespace

class tst_LineLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placesAsTheWholeLineThroughEdits();
};

// Nothing laid out or measured before an edit is used after it, whether the edit grows a
// segment past two, empties one, or breaks the line; the scroll width follows the longest line.
void tst_LineLayout::placesAsTheWholeLineThroughEdits() {
    TextBuffer text(u"iii\tx\n"_qs + mixedLine(20000));
    LineLayout layout(text, [] { return qsizetype(0); });
    layout.setFont(QFont(u"DejaVu Sans"_qs, 10));
    const auto edit = [&](qsizetype position, qsizetype length, const QString& inserted) {
        layout.followEdit(position, length, inserted);
        text.remove(position, length);
        text.insert(position, inserted);
        layout.followEditMade(position);
    };
    QCOMPARE(layout.exactX(4), 80);
    const qreal narrow = layout.exactX(3);
    edit(0, 3, u"WWW"_qs); // the same length, in a line laid out already
    QVERIFY(layout.exactX(3) > narrow + 10);
    compareWithWholeLine(layout, text, 0);
    compareWithWholeLine(layout, text, 1);
    const qsizetype second = text.lineStart(1);
    edit(second + 10, 0, mixedLine(5000));
    edit(second + 7000, 6000, QString());
    edit(second + 2100, 1990, u"W"_qs);
    compareWithWholeLine(layout, text, 1);
    edit(second + 50, 0, QString(300, u'W')); // into a segment measured already
    compareWithWholeLine(layout, text, 1);
    edit(second + 9000, 0, u"\n"_qs);
    compareWithWholeLine(layout, text, 2);
    QVERIFY(qAbs(layout.scrollWidth() - layout.lineWidth(1)) < 1);
    edit(second + 100, 8800, QString());
    QVERIFY(qAbs(layout.scrollWidth() - layout.lineWidth(2)) < 1);
}

QTEST_MAIN(tst_LineLayout)
#include "tst_LineLayout.moc"
