// The editing box's mouse, as QPlainTextEdit's: a click places the caret, Shift+click and
// dragging extend the selection, a double click selects a word and a third click the line
// (dragging or Shift+clicking after either extends by words or lines), and while the button is
// held past an edge a timer keeps scrolling and extending. Dragging the selection carries it.
#include "editor/TextView.h"

#include "text/TextBoundaries.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextLayout>

// The start of the word at position, found as QTextCursor::StartOfWord finds it; false when it
// fails (which it does not when it starts inside a line, even if it ends where it began).
bool TextView::toWordStart(qsizetype& position) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype start = text.lineStart(line);
    const qsizetype length = text.lineLength(line);
    const qsizetype at = position - start;
    if (at == 0)
        return false;
    if (at == length) {
        const char16_t before = text.at(position - 1);
        if (QChar::isSpace(before) || isWordSeparator(before))
            return false;
    }
    const qsizetype from = at < length ? at + 1 : at;
    const qsizetype found = layout.previousPosition(start + from, true);
    const bool moved = found != start + from;
    position = found;
    return moved;
}

// The end of the word (or of the run of separators) at position, as QTextCursor::EndOfWord.
bool TextView::toWordEnd(qsizetype& position) const {
    const qsizetype end = text.lineEnd(text.lineOf(position));
    if (position >= end)
        return false;
    const qsizetype from = position;
    if (isWordSeparator(text.at(position))) {
        ++position;
        while (position < end && isWordSeparator(text.at(position)))
            ++position;
    } else {
        while (position < end && !QChar::isSpace(text.at(position)) &&
               !isWordSeparator(text.at(position)))
            ++position;
    }
    return position != from;
}

void TextView::extendByWords(qsizetype position, qreal x) {
    if (position >= wordClicked.start() && position <= wordClicked.end()) {
        moveTo(wordClicked.anchor, wordClicked.cursor);
        return;
    }
    qsizetype wordStart = position;
    if (!toWordStart(wordStart))
        return;
    qsizetype wordEnd = wordStart;
    if (!toWordEnd(wordEnd) || wordEnd == wordStart)
        return;
    const qreal startX = layout.exactX(wordStart);
    const qreal endX = layout.exactX(wordEnd);
    // Only once the mouse is over the next word, and then to its nearer end.
    if (x < startX || x > endX)
        return;
    const qsizetype from = position < wordClicked.cursor ? wordClicked.end() : wordClicked.start();
    moveTo(from, x - startX < endX - x ? wordStart : wordEnd);
}

void TextView::extendByLines(qsizetype position) {
    if (position >= lineClicked.start() && position <= lineClicked.end()) {
        moveTo(lineClicked.anchor, lineClicked.cursor);
        return;
    }
    const qsizetype line = text.lineOf(position);
    if (position < lineClicked.cursor)
        moveTo(lineClicked.end(), text.lineStart(line));
    else
        moveTo(lineClicked.start(), std::min(text.lineEnd(line) + 1, text.size()));
}

void TextView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    mousePoint = point;
    if (event->button() == Qt::MiddleButton && !readOnly &&
        QApplication::clipboard()->supportsSelection()) {
        const QString pasted = QApplication::clipboard()->text(QClipboard::Selection);
        const qsizetype at = positionAt(point);
        moveTo(at, at);
        if (!pasted.isEmpty())
            insertText(pasted);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pressPoint = point;
    pressedInSelection = releaseAfterDrag = false;
    mousePressed = true;
    if (tripleClick.isActive() &&
        (point - doubleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
        // The line and its line break.
        tripleClick.stop();
        const qsizetype line = text.lineOf(cursorPosition());
        lineClicked = {text.lineStart(line), std::min(text.lineEnd(line) + 1, text.size())};
        moveTo(lineClicked.anchor, lineClicked.cursor);
    } else {
        const qsizetype at = positionAt(point);
        if (event->modifiers() == Qt::ShiftModifier) {
            if (!lineClicked.isEmpty())
                extendByLines(at);
            else if (!wordClicked.isEmpty())
                extendByWords(at, point.x() - contentX());
            else
                moveTo(anchorPosition(), at);
        } else if (hasSelection() && at >= selectionStart() && at <= selectionEnd()) {
            // The caret goes there when the button is released without moving.
            pressedInSelection = true;
            return;
        } else {
            endClicks();
            moveTo(at, at);
        }
    }
    ensureCursorVisible();
}

void TextView::dragTo(const QPoint& point) {
    const qsizetype at = positionAt(point);
    if (!lineClicked.isEmpty())
        extendByLines(at);
    else if (!wordClicked.isEmpty())
        extendByWords(at, point.x() - contentX());
    else if (mousePressed)
        moveTo(anchorPosition(), at);
}

void TextView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    mousePoint = point;
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (pressedInSelection) {
        if ((point - pressPoint).manhattanLength() <= QApplication::startDragDistance())
            return;
        // The selected text is dragged away, as in QPlainTextEdit.
        pressedInSelection = false;
        mousePressed = false;
        dragSelection();
        // The release that ended the drag comes afterwards and puts the caret where it was let
        // go, as in QPlainTextEdit.
        releaseAfterDrag = true;
        return;
    }
    dragTo(point);
    if (viewport()->rect().contains(point))
        scrollTimer.stop();
    else if (!scrollTimer.isActive())
        scrollTimer.start(100, this);
}

void TextView::autoScroll() {
    const QRect visible = viewport()->rect();
    const QPoint point = mousePoint;
    dragTo(point);
    // Faster the further the mouse is past the edge.
    const int deltaY =
        std::max(point.y() - visible.top(), visible.bottom() - point.y()) - visible.height();
    const int deltaX =
        std::max(point.x() - visible.left(), visible.right() - point.x()) - visible.width();
    const int delta = std::max(deltaX, deltaY);
    if (delta < 0)
        return;
    const int speed = std::max(delta, 7);
    scrollTimer.start(4900 / (speed * speed), this);
    if (deltaY > 0)
        verticalScrollBar()->triggerAction(point.y() < visible.center().y()
                                               ? QAbstractSlider::SliderSingleStepSub
                                               : QAbstractSlider::SliderSingleStepAdd);
    if (deltaX > 0)
        horizontalScrollBar()->triggerAction(point.x() < visible.center().x()
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
}

void TextView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    mousePoint = point;
    if (event->button() != Qt::LeftButton)
        return;
    if (pressedInSelection || releaseAfterDrag) {
        pressedInSelection = releaseAfterDrag = false;
        mousePressed = false;
        const qsizetype at = positionAt(point);
        moveTo(at, at);
    }
    if (mousePressed) {
        mousePressed = false;
        exportSelection();
    }
    if (scrollTimer.isActive()) {
        scrollTimer.stop();
        ensureCursorVisible();
    }
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressedInSelection = false;
    const QPoint point = event->position().toPoint();
    qsizetype from = positionAt(point);
    qsizetype to = from;
    if (text.lineLength(text.lineOf(from)) > 0) {
        toWordStart(from);
        to = from;
        toWordEnd(to);
    }
    moveTo(from, to);
    wordClicked = {from, to};
    doubleClickPoint = point;
    tripleClick.start(QApplication::doubleClickInterval(), this);
    exportSelection();
}
