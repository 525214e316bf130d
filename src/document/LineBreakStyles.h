#pragma once

#include <QByteArray>

// How a document's line breaks are kept between reading and writing: one style per break, in
// order, stored run-length encoded so that a file of millions of alike lines costs a few bytes.
// Layout of the record: the final break's style (or noFinalBreak), then pairs of a style byte
// and the run's length as a little-endian base-128 number.
enum class BreakStyle : unsigned char { CrLf, Lf, Cr, ParagraphSeparator, FrameStart, FrameEnd };

// The break's bytes as written in UTF-8 (CR and LF are the same in Windows-1252).
const QByteArray& breakBytes(BreakStyle style);

class LineBreakRecorder {
public:
    // Adds n breaks of the style.
    void add(BreakStyle style, qint64 n = 1);
    qint64 count() const { return total; }
    // The last break added is the file's final one: kept apart from the others.
    void takeLastAsFinal();
    // CR LF, LF or CR, whichever the file uses most; CR LF when it has none of them.
    BreakStyle commonPlainStyle() const;
    QByteArray finish();

private:
    void flush();
    QByteArray runs;
    BreakStyle current = BreakStyle::CrLf;
    qint64 runLength = 0;
    qint64 total = 0;
    qint64 plainCounts[3] = {0, 0, 0};
    int finalStyle = -1;
};

class LineBreakPlayer {
public:
    LineBreakPlayer(const QByteArray& record, const QByteArray& defaultBreak);
    // The next break inside the text; the default once the recorded ones are used up.
    const QByteArray& next();
    const QByteArray& final() const;

private:
    const QByteArray& record;
    const QByteArray& defaultBreak;
    qsizetype position = 1;
    BreakStyle current = BreakStyle::CrLf;
    qint64 left = 0;
};
