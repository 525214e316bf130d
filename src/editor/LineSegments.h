#pragma once

#include <QStringView>
#include <QtGlobal>
#include <vector>

// Laying out a line costs time in its length, so a line longer than a segment is laid out in
// segments of about 2,048 characters, only those in view or around the caret. This keeps where
// each segment starts and how wide it is, for one such line.
//
// QPlainTextEdit lays out a whole paragraph to draw any of it: a document of one 256 MiB line
// freezes it for many seconds, and again after each edit. Here a segment's width is measured
// when it is first laid out; one never laid out is estimated from the width per character of
// those measured, so x positions far from anything shown may be off until they are shown.
// Widths are kept across edits: an edit changes its own segment's length and marks it to be
// measured again, so typing near the start of a huge line costs the same as in a short one. Two
// Fenwick trees over the segments' lengths and widths answer "which segment holds this
// character (or this x)" and "where does it start" in O(log n).
//
// Segment edges start at every 2,048 characters and are moved to a good place the first time a
// segment next to them is laid out (see segmentEdge), so a document opens and jumps to its end
// without looking at the characters in between.
class LineSegments {
public:
    static constexpr qsizetype nominalLength = 2048;

    // unitWidth: the estimated width of a character until one segment has been measured.
    LineSegments(qsizetype start, qsizetype length, qreal unitWidth);

    // The line's direction, from its first letter that has one; decided again after an edit
    // near the line's start.
    bool rightToLeft = false;
    bool directionKnown = false;

    qsizetype start() const { return lineStart; }
    qsizetype length() const { return qsizetype(lengths.total()); }
    qsizetype count() const { return qsizetype(lengthOf.size()); }
    // The segment holding the character at offset (the last for the line's end).
    qsizetype segmentAt(qsizetype offset) const;
    qsizetype from(qsizetype segment) const { return qsizetype(lengths.prefix(size_t(segment))); }
    qsizetype lengthOfSegment(qsizetype segment) const { return lengthOf[size_t(segment)]; }
    // Distances from the line's start edge (its left for left-to-right text).
    qreal x(qsizetype segment) const;
    qreal width(qsizetype segment) const;
    qreal width() const;
    qsizetype segmentAtX(qreal distance) const;

    bool isMeasured(qsizetype segment) const { return measured[size_t(segment)]; }
    // Whether a segment has been measured yet, to estimate the others from.
    bool isCalibrated() const { return calibrated; }
    void setMeasuredWidth(qsizetype segment, qreal width);
    // Whether the segment's start has been moved to a good place (the first's always has).
    bool isStartPlaced(qsizetype segment) const { return placed[size_t(segment)]; }
    // Moves the segment's start to offset, which must lie inside the two segments it divides.
    void placeStart(qsizetype segment, qsizetype offset);

    // Follows an edit inside the line (no line break added or removed): [offset, offset +
    // removed) became inserted characters. The lines before it moved by `shift`.
    void replaced(qsizetype offset, qsizetype removed, qsizetype inserted);
    void moveStart(qsizetype shift) { lineStart += shift; }

private:
    class Sums {
    public:
        void assign(const std::vector<qint64>& values);
        void add(size_t i, qint64 delta);
        qint64 prefix(size_t count) const; // the sum of the first count values
        qint64 total() const { return sum; }
        // The index of the value holding `at`: prefix(i) <= at < prefix(i + 1).
        size_t find(qint64 at) const;

    private:
        std::vector<qint64> tree;
        qint64 sum = 0;
    };
    void setWidth(qsizetype segment, qint64 width);
    void setLength(qsizetype segment, qint64 length);
    void unmeasure(qsizetype segment);
    void rebuild();
    // Splits an overlong segment and merges a very short one with a neighbour.
    void rebalance(qsizetype segment);

    qsizetype lineStart;
    qreal perUnit; // 1/64 px per character, for segments not measured yet
    bool calibrated = false;
    std::vector<qint64> lengthOf;
    std::vector<qint64> widthOf; // in 1/64 px
    std::vector<bool> measured;
    std::vector<bool> placed;
    Sums lengths;
    Sums widths;
};

// Where to end a segment near the offset `nominal` of a line: a grapheme boundary in [low,
// high], so no surrogate pair, emoji sequence, flag or combining sequence is ever cut; by
// preference one that cuts no run of the direction opposite to the line's (which would show
// its halves in the wrong order), then one just after a tab (tab stops stay aligned, see
// TextView), after a space or at a word boundary, the nearest to nominal. `text` holds the
// line's characters from offset `textStart`; -1 when it holds no usable boundary.
qsizetype segmentEdge(QStringView text, qsizetype textStart, bool textStartsLine, qsizetype nominal,
                      qsizetype low, qsizetype high, bool rightToLeft);
