#pragma once

#include "editor/EditHistory.h"
#include "editor/LineSegments.h"
#include "text/TextBuffer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <algorithm>
#include <memory>
#include <optional>

class Document;
class QMimeData;
class QTextLayout;

// A plain-text editing box that stays fast on documents of hundreds of megabytes: the text lives
// in a TextBuffer and only the lines on screen are ever laid out. No wrapping; one font and one
// text colour for everything; its own undo, clipboard keys, mouse selection, input methods and
// accessibility.
//
// Where a line longer than 2,048 characters differs from QPlainTextEdit, which lays out the
// whole line (and freezes on a huge one): it is laid out in segments (LineSegments), so x
// positions far from anything shown are estimated until shown; its direction comes from its
// first megabyte, as for the keys; a word move crosses at most 64 segment edges inside one
// word; a tab counts its stop from its segment's start unless that starts just after a tab;
// input methods see 1,024 characters either side of the caret rather than the whole line; and
// past 10^9 pixels the horizontal scroll bar moves in steps of several pixels.
//
// The text is a Document's, as QPlainTextEdit's is a QTextDocument's: the view edits it in
// place and follows every replacement of the whole text (caret, undo and layouts start anew).
class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Works on a document of its own.
    explicit TextView(QWidget* parent = nullptr);
    // Works on the document given, which must outlive the view.
    explicit TextView(Document& document, QWidget* parent = nullptr);
    ~TextView() override;

    Document& document() const { return doc; }
    const TextBuffer& buffer() const { return text; }
    QString toPlainText() const { return text.toString(); }
    // Replaces the whole text, taking the string's storage; clears undo, caret to the start.
    void setPlainText(QString plain);
    // Same, with a buffer already built (on another thread, say).
    void setBuffer(TextBuffer buffer);
    // Replaces the whole text as one undo step (Replace All), with the caret at caret and
    // nothing selected; the view stays where it was as far as the caret allows. Undo puts the
    // caret back where it was before, not after the last change put back as QPlainTextEdit
    // does: a million changes apart, that place means nothing to the user.
    void replaceWhole(TextBuffer replaced, qsizetype caret);

    // One text colour for everything, kept whether the box has the focus or not.
    QColor textColor() const;
    void setTextColor(const QColor& colour);

    bool isReadOnly() const { return readOnly; }
    void setReadOnly(bool on);
    // While held the text does not change: keys and input-method text that arrive are kept
    // and applied in order when the hold ends.
    void setHeld(bool on);

    qsizetype cursorPosition() const { return cursor; }
    qsizetype anchorPosition() const { return anchor; }
    // An end between the halves of a surrogate pair goes to the pair's start.
    void setSelection(qsizetype anchorAt, qsizetype cursorAt);
    void setCursorPosition(qsizetype position, bool keepAnchor = false);
    bool hasSelection() const { return anchor != cursor; }
    qsizetype selectionStart() const { return std::min(anchor, cursor); }
    qsizetype selectionEnd() const { return std::max(anchor, cursor); }
    QString selectedText() const;

    // Replaces the selection with the text as if typed or pasted (line breaks of any kind
    // become '\n'); a step of its own in the undo history unless typing.
    void insertText(const QString& typed, bool typing = false);
    // Replaces [position, position + length), widened to whole code points, with replacement,
    // recorded for undo.
    void replaceRange(qsizetype position, qsizetype length, const QString& replacement);
    // The same as an edit made elsewhere (a screen reader's): the caret and the selection keep
    // their place in the text around it, as a QTextCursor's do.
    void replaceRangeAside(qsizetype position, qsizetype length, const QString& replacement);

    bool canUndo() const { return history.canUndo(); }
    bool canRedo() const { return history.canRedo(); }

    // The caret's rectangle and a character's rectangle in viewport coordinates; the text
    // position nearest to a point of the viewport.
    QRect cursorRect() const;
    QRect characterRect(qsizetype position) const;
    // onCharacter: the character under the point rather than the nearest caret position.
    qsizetype positionAt(const QPoint& point, bool onCharacter = false) const;
    qsizetype firstVisibleLine() const;
    int lineHeight() const;
    // Scrolls so that the caret is in view, as QPlainTextEdit's of the same name.
    void ensureCursorVisible();
    // The caret's line across the box, in screen coordinates: what a window beside the box
    // should leave uncovered.
    QRect caretLineOnScreen() const;

public Q_SLOTS:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void deleteSelection();

Q_SIGNALS:
    void textChanged();
    void cursorPositionChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void followReplacement(const TextBuffer& before);
    // A laid-out stretch of a line: the whole line, or for a line longer than a segment one of
    // its segments (see LineSegments), so that no more than a few thousand characters are ever
    // laid out at once. Keys that move by what is on screen (visual Left and Right in
    // right-to-left text) use the stretch's layout and, at its edge, the stretch beside it.
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
    LineSegments* segmentsOf(qsizetype line) const; // null for a line laid out whole
    Stretch segmentStretch(qsizetype line, LineSegments& segments, qsizetype segment) const;
    void placeSegmentStart(LineSegments& segments, qsizetype segment) const;
    std::shared_ptr<QTextLayout> layoutText(qsizetype start, qsizetype length, int preeditAt,
                                            Qt::LayoutDirection direction) const;
    qreal lineWidth(qsizetype line) const;
    void drawStretch(QPainter& painter, const Stretch& stretch, qsizetype line, int y) const;
    // Keeps the segments and measured widths in step with an edit about to be made.
    void followEdit(qsizetype position, qsizetype length, const QString& replacement);
    qreal exactX(qsizetype position) const;
    qsizetype positionInLineAt(qsizetype line, qreal x, bool onCharacter = false) const;
    qsizetype nextPosition(qsizetype position, bool word) const;
    qsizetype previousPosition(qsizetype position, bool word) const;
    // Whether a word move stops at a segment's edge here, as it would in the whole line.
    bool endsWordMove(qsizetype position) const;
    bool isRightToLeft(qsizetype line) const;
    // Puts a text in place of the document's whole text with the caret at caret, keeping the
    // history: everything measured or laid out is forgotten and readers hear of a new text.
    void putText(TextBuffer replaced, qsizetype caret);
    // Moves the caret and the anchor to positions the box found itself (no rule applied).
    void moveTo(qsizetype anchorAt, qsizetype cursorAt);
    void applyEdit(qsizetype position, qsizetype length, const QString& replacement);
    // Undoes or redoes one step of the history; the caret ends after what it put back.
    void takeBackStep(bool undoing);
    void takeBack(const TextEdit& edit);
    // Widens [position, position + length) to whole code points within the text.
    void wholeCodePoints(qsizetype& position, qsizetype& length) const;
    void edit(qsizetype position, qsizetype length, const QString& replacement,
              EditHistory::Kind kind);
    void replaceSelection(const QString& replacement, EditHistory::Kind kind);
    void removeBackward(bool word);
    void removeForward(bool word);
    void updateScrollBars();
    void restartBlink();
    void exportSelection();
    bool handleKey(QKeyEvent* event);
    void moveByKey(int target, bool select);
    static bool isEditingShortcut(QKeyEvent* event, bool readOnly);
    int margin() const { return 4; }
    // Where the line's left edge is in the viewport; the horizontal scroll bar counts in steps
    // of several pixels when the widest line is wider than its int range.
    qreal contentX() const;
    void scrollToX(qreal x);

    // Scrolling, line by line as QPlainTextEdit scrolls: the top margin shows only above the
    // first line.
    int lineY(qsizetype line) const;
    qsizetype linesFromBottom() const;
    void setTopLine(qsizetype line);
    void followCaretVertically();
    qsizetype positionOnLine(qsizetype line);
    void pageUpDown(bool down, bool select);

    // The mouse: a double click selects a word and a third click the line; dragging after
    // either extends by words or lines; past the edge, a timer keeps scrolling and extending.
    bool toWordStart(qsizetype& position) const;
    bool toWordEnd(qsizetype& position) const;
    void extendByWords(qsizetype position, qreal x);
    void dragTo(const QPoint& point);
    void dragSelection();
    bool acceptsDrop(const QMimeData* data) const;
    void extendByLines(qsizetype position);
    void autoScroll();

    Document& doc;
    TextBuffer& text;                     // the document's
    std::optional<qsizetype> placedCaret; // set while putText replaces the document's text
    EditHistory history;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    qreal preferredX = -1; // kept while moving up and down
    bool readOnly = false;
    bool held = false;
    std::vector<std::unique_ptr<QEvent>> heldInput;
    bool caretShown = true;
    // Page Up and Page Down keep the caret at the height it had before the first of them.
    int pageY = 0;
    bool pageYKept = false;
    struct Range {
        qsizetype anchor = 0;
        qsizetype cursor = 0;
        bool isEmpty() const { return anchor == cursor; }
        qsizetype start() const { return std::min(anchor, cursor); }
        qsizetype end() const { return std::max(anchor, cursor); }
    };
    bool mousePressed = false;
    qsizetype dropMarker = -1; // where a drag over the box would drop its text, or -1
    bool pressedInSelection = false;
    bool releaseAfterDrag = false; // may become a drag of the selection, as in QPlainTextEdit
    QPoint pressPoint;
    QPoint mousePoint; // the last seen, for the auto-scroll timer
    Range wordClicked; // the word of a double click, while dragging or Shift+clicking from it
    Range lineClicked; // the line of a triple click, the same
    QPoint doubleClickPoint;
    QBasicTimer tripleClick;
    QBasicTimer scrollTimer;
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
    // The measured widths behind the horizontal scroll range: the longest line's and the
    // widest shown, each with its line (start and length), followed through edits.
    struct MeasuredLine {
        qsizetype start = -1;
        qsizetype length = 0;
        qreal width = 0;
    };
    mutable MeasuredLine longestMeasured;
    mutable MeasuredLine widestShown;
    qreal scrollStep = 1; // pixels per step of the horizontal scroll bar
    QString preedit;
    QBasicTimer blink;
};
