#pragma once

#include "editor/LineSegments.h"

#include <QFont>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTextLayout;
class TextBuffer;

// Where the characters of a text stand on screen, for one font and no wrapping: lays out only
// the lines asked for, and a line longer than a segment (LineSegments) only in the segments
// asked for, keeping the last few laid out. Also keeps the measured widths behind a
// horizontal scroll range. It follows the text's edits through followEdit; a text replaced
// whole or a new font starts it anew (forget, setFont).
class LineLayout {
public:
    // caret: where an input method's unfinished text (the preedit) shows, asked each time.
    LineLayout(const TextBuffer& text, std::function<qsizetype()> caret);
    ~LineLayout();

    const QFont& font() const { return shownFont; }
    void setFont(const QFont& font);
    // The height QTextLayout gives a line of the font, leading included, as QPlainTextEdit's.
    int lineHeight() const;
    const QString& preedit() const { return preeditText; }
    void setPreedit(const QString& preedit);
    // Everything measured or laid out is forgotten, the preedit too.
    void forget();

    // A laid-out stretch of a line: the whole line, or for a line longer than a segment one of
    // its segments, so that no more than a few thousand characters are ever laid out at once.
    // Keys that move by what is on screen (visual Left and Right in right-to-left text) use the
    // stretch's layout and, at its edge, the stretch beside it.
    struct Stretch {
        std::shared_ptr<QTextLayout> layout; // empty: no stretch
        qsizetype from = 0;                  // where it starts within the line
        qsizetype length = 0;
        qreal x = 0; // its left edge, from the line's left edge
    };
    // The stretch holding the character at offset (at a segment's edge, the one starting there).
    Stretch stretchAt(qsizetype line, qsizetype offset) const;
    Stretch stretchAtX(qsizetype line, qreal x) const;
    // The stretch on the left or right of another on screen (no layout at the line's ends).
    Stretch stretchBeside(qsizetype line, const Stretch& stretch, bool left) const;

    qreal lineWidth(qsizetype line) const;
    // Distance from the line's left edge; the preedit counts at the caret.
    qreal exactX(qsizetype position) const;
    qsizetype positionInLineAt(qsizetype line, qreal x, bool onCharacter = false) const;
    // The next or previous caret position, by character or by word, as QTextLayout moves.
    qsizetype nextPosition(qsizetype position, bool word) const;
    qsizetype previousPosition(qsizetype position, bool word) const;
    // The first character with a strong direction decides, as for a QTextBlock.
    bool isRightToLeft(qsizetype line) const;

    // Keeps the segments and measured widths in step with an edit about to be made, then
    // measures what it changed once made.
    void followEdit(qsizetype position, qsizetype length, const QString& replacement);
    void followEditMade(qsizetype position);

    // The width a horizontal scroll range covers: the longest line's (in characters), or the
    // widest line shown when that is wider (wide characters).
    qreal scrollWidth() const;
    // A line was shown: whether the scroll width may have changed with it.
    bool noteShown(qsizetype line) const;
    // The caret's line is shown: whether it is the widest yet.
    bool noteWidened(qsizetype line) const;

private:
    void forgetMeasures();
    LineSegments* segmentsOf(qsizetype line) const; // null for a line laid out whole
    Stretch segmentStretch(qsizetype line, LineSegments& segments, qsizetype segment) const;
    void placeSegmentStart(LineSegments& segments, qsizetype segment) const;
    std::shared_ptr<QTextLayout> layoutText(qsizetype start, qsizetype length, int preeditAt,
                                            Qt::LayoutDirection direction) const;
    // Whether a word move stops at a segment's edge here, as it would in the whole line.
    bool endsWordMove(qsizetype position) const;

    const TextBuffer& text;
    std::function<qsizetype()> caret;
    QFont shownFont;
    QString preeditText;
    // The long lines last laid out, found by where they start: kept for a few lines, so moving
    // between two long lines measures nothing again.
    mutable std::vector<std::unique_ptr<LineSegments>> segmented;
    // Stretches laid out for the text as it is now; emptied by every change.
    struct CachedLayout {
        qsizetype start;
        qsizetype length;
        int preeditAt;
        Qt::LayoutDirection direction;
        std::shared_ptr<QTextLayout> layout;
    };
    mutable std::vector<CachedLayout> layouts;
    // The longest line's width and the widest shown, each with its line (start and length),
    // followed through edits.
    struct MeasuredLine {
        qsizetype start = -1;
        qsizetype length = 0;
        qreal width = 0;
    };
    mutable MeasuredLine longestMeasured;
    mutable MeasuredLine widestShown;
};
