#pragma once

#include "editor/LineLayout.h"
#include "editor/TextEditing.h"
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
//
// The box itself paints, takes events and talks to input methods; where characters stand is
// its LineLayout's to say, and how the text and the caret change its TextEditing's.
class TextView : public QAbstractScrollArea, private TextEditing::Display {
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

    qsizetype cursorPosition() const { return editing.cursor(); }
    qsizetype anchorPosition() const { return editing.anchor(); }
    // An end between the halves of a surrogate pair goes to the pair's start.
    void setSelection(qsizetype anchorAt, qsizetype cursorAt);
    void setCursorPosition(qsizetype position, bool keepAnchor = false);
    bool hasSelection() const { return editing.hasSelection(); }
    qsizetype selectionStart() const { return editing.selectionStart(); }
    qsizetype selectionEnd() const { return editing.selectionEnd(); }
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

    bool canUndo() const { return editing.canUndo(); }
    bool canRedo() const { return editing.canRedo(); }

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
    using Stretch = LineLayout::Stretch;
    void followReplacement(const TextBuffer& before);
    // What the editing rules tell the box.
    QString textAboutToChange(qsizetype position, qsizetype length,
                              const QString& replacement) override;
    void textChangedAt(qsizetype position, qsizetype length, const QString& removed,
                       const QString& inserted) override;
    void caretPlacedByEdit(qsizetype anchorBefore, qsizetype cursorBefore, bool told) override;
    void showCaret() override { ensureCursorVisible(); }
    // The caret was put somewhere by an edit or a new text: what a double or triple click, the
    // column kept for Up and Down and the height kept for Page Up and Down began from ends.
    void resetClickAndScroll(bool caretMoved);
    // Keys and new clicks end what a double or triple click began.
    void endClicks() { wordClicked = lineClicked = Range(); }
    void drawStretch(QPainter& painter, const Stretch& stretch, qsizetype line, int y) const;
    // Moves the caret and the anchor to positions the box found itself (no rule applied).
    void moveTo(qsizetype anchorAt, qsizetype cursorAt);
    // The same, keeping the column Up and Down keep to.
    void moveInColumn(qsizetype anchorAt, qsizetype cursorAt);
    void takeBackStep(bool undoing);
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
    TextBuffer& text; // the document's
    TextEditing editing;
    LineLayout layout;
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
    qreal scrollStep = 1; // pixels per step of the horizontal scroll bar
    QBasicTimer blink;
};
