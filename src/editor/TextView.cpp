#include "editor/TextView.h"

#include "document/Document.h"
#include "editor/TextViewAccessible.h"
#include "text/LineBreaks.h"
#include "text/TextBoundaries.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Past this width the horizontal scroll bar (an int) counts in steps of several pixels.
constexpr qreal widestInPixels = 1e9;
// Input methods are offered a long line around the caret only: they read it after each key.
constexpr qsizetype surroundingReach = 1024;

// Rounded as QPlainTextEdit rounds its caret, and kept well inside int.
int toPixel(qreal x) {
    return int(std::lround(std::clamp<qreal>(x, -(1 << 30), 1 << 30)));
}
} // namespace

TextView::TextView(QWidget* parent) : TextView(*new Document, parent) {
    doc.setParent(this);
}

TextView::TextView(Document& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc(document), text(document.editableBuffer()),
      editing(document, *this), layout(text, [this] { return editing.cursor(); }) {
    layout.setFont(font());
    connect(&doc, &Document::textReplaced, this, &TextView::followReplacement);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    viewport()->setCursor(Qt::IBeamCursor);
    setAcceptDrops(true);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
    installTextViewAccessibility();
    updateScrollBars();
}

TextView::~TextView() = default;

void TextView::setPlainText(QString plain) {
    doc.setText(TextBuffer(std::move(plain)));
}

void TextView::setBuffer(TextBuffer buffer) {
    doc.setText(std::move(buffer));
}

void TextView::replaceWhole(TextBuffer replaced, qsizetype caret) {
    if (readOnly)
        return;
    editing.replaceWhole(std::move(replaced), caret);
    ensureCursorVisible();
}

QColor TextView::textColor() const {
    return palette().color(QPalette::Active, QPalette::Text);
}

void TextView::setTextColor(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Text, colour);
    colours.setColor(QPalette::Inactive, QPalette::Text, colour);
    setPalette(colours);
}

void TextView::followReplacement(const TextBuffer& before) {
    // A text the view put in place itself (Replace All, its undo and redo) keeps the history
    // and takes the caret given; any other is a new text, as setPlainText makes one.
    const std::optional<qsizetype> placed = editing.followReplacement();
    if (!placed) {
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    }
    const qsizetype anchorBefore = anchorPosition();
    const qsizetype cursorBefore = cursorPosition();
    layout.forget();
    editing.putCaret(placed.value_or(0));
    resetClickAndScroll(true);
    updateScrollBars();
    viewport()->update();
    restartBlink();
    notifyAccessibleReset(this, before, anchorBefore, cursorBefore);
    // A new text starts with the caret's column at the left edge, even on a right-to-left first
    // line, as in QPlainTextEdit.
    if (!placed)
        preferredX = 0;
    Q_EMIT textChanged();
    Q_EMIT cursorPositionChanged();
}

void TextView::resetClickAndScroll(bool caretMoved) {
    endClicks();
    preferredX = -1;
    if (caretMoved)
        pageYKept = false;
}

void TextView::setHeld(bool on) {
    held = on;
    if (held)
        return;
    // Replayed as they came, now that the text may change again.
    std::vector<std::unique_ptr<QEvent>> input = std::move(heldInput);
    for (const auto& event : input) {
        if (event->type() == QEvent::InputMethod)
            inputMethodEvent(static_cast<QInputMethodEvent*>(event.get()));
        else
            keyPressEvent(static_cast<QKeyEvent*>(event.get()));
    }
}

void TextView::setReadOnly(bool on) {
    readOnly = on;
    setAttribute(Qt::WA_InputMethodEnabled, !on);
    viewport()->update();
}

QString TextView::selectedText() const {
    return editing.selectedText();
}

void TextView::setSelection(qsizetype anchorAt, qsizetype cursorAt) {
    moveTo(codePointStart(text, anchorAt), codePointStart(text, cursorAt));
}

void TextView::moveTo(qsizetype anchorAt, qsizetype cursorAt) {
    const qsizetype anchorBefore = anchorPosition();
    const qsizetype cursorBefore = cursorPosition();
    preferredX = -1;
    if (!editing.place(anchorAt, cursorAt))
        return;
    if (cursorPosition() != cursorBefore)
        pageYKept = false;
    restartBlink();
    viewport()->update();
    notifyAccessibleCursor(this, anchorBefore, cursorBefore);
    Q_EMIT cursorPositionChanged();
}

void TextView::moveInColumn(qsizetype anchorAt, qsizetype cursorAt) {
    const qreal keep = preferredX;
    moveTo(anchorAt, cursorAt);
    preferredX = keep;
}

void TextView::setCursorPosition(qsizetype position, bool keepAnchor) {
    setSelection(keepAnchor ? anchorPosition() : position, position);
}

int TextView::lineHeight() const {
    return layout.lineHeight();
}

qsizetype TextView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

qreal TextView::contentX() const {
    return margin() - horizontalScrollBar()->value() * scrollStep;
}

void TextView::scrollToX(qreal x) {
    horizontalScrollBar()->setValue(int(std::lround(x / scrollStep)));
}

qsizetype TextView::positionAt(const QPoint& point, bool onCharacter) const {
    const int y = point.y() - lineY(firstVisibleLine());
    const qsizetype line =
        firstVisibleLine() + (y < 0 ? (y + 1) / lineHeight() - 1 : y / lineHeight());
    // Above the first line its start, below the last its end, as in QPlainTextEdit.
    if (line < 0)
        return 0;
    if (line >= text.lineCount())
        return text.size();
    return layout.positionInLineAt(line, point.x() - contentX(), onCharacter);
}

QRect TextView::characterRect(qsizetype position) const {
    const qsizetype line = text.lineOf(position);
    const int y = lineY(line);
    const int x = toPixel(contentX() + layout.exactX(position));
    // As wide as the whole character (a surrogate pair, a cluster) when it runs to the right.
    const int next = position < text.lineEnd(line)
                         ? toPixel(contentX() + layout.exactX(layout.nextPosition(position, false)))
                         : x + 4;
    return QRect(x, y, std::max(1, next - x), lineHeight());
}

QRect TextView::cursorRect() const {
    QRect r = characterRect(cursorPosition());
    r.setWidth(1);
    return r;
}

void TextView::insertText(const QString& typed, bool typing) {
    if (!readOnly)
        editing.insert(typed, typing);
}

void TextView::replaceRange(qsizetype position, qsizetype length, const QString& replacement) {
    position = std::clamp<qsizetype>(position, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - position);
    if (length == 0 && replacement.isEmpty()) {
        setCursorPosition(position);
        return;
    }
    editing.edit(position, length, replacement, EditHistory::Kind::Compound);
}

void TextView::replaceRangeAside(qsizetype position, qsizetype length, const QString& replacement) {
    // Held, the text is being saved as it is: no edit can wait like a key, so none is made.
    if (readOnly || held)
        return;
    const qsizetype anchorBefore = anchorPosition();
    const qsizetype cursorBefore = cursorPosition();
    if (!editing.editAside(position, length, replacement))
        return;
    const bool moved = cursorPosition() != cursorBefore;
    resetClickAndScroll(moved);
    viewport()->update();
    notifyAccessibleCursor(this, anchorBefore, cursorBefore);
    if (moved)
        Q_EMIT cursorPositionChanged();
}

QString TextView::textAboutToChange(qsizetype position, qsizetype length,
                                    const QString& replacement) {
    layout.followEdit(position, length, replacement);
    // A reader is told what was removed, unless it is too much to hand over.
    return accessibilityActive() && length <= largestAnnouncedText ? text.mid(position, length)
                                                                   : QString();
}

void TextView::textChangedAt(qsizetype position, qsizetype length, const QString& removed,
                             const QString& inserted) {
    layout.followEditMade(position);
    updateScrollBars();
    viewport()->update();
    notifyAccessibleEdit(this, position, length, removed, inserted);
    Q_EMIT textChanged();
}

void TextView::caretPlacedByEdit(qsizetype anchorBefore, qsizetype cursorBefore, bool told) {
    resetClickAndScroll(true);
    ensureCursorVisible();
    restartBlink();
    viewport()->update();
    notifyAccessibleCursor(this, anchorBefore, cursorBefore, told);
    Q_EMIT cursorPositionChanged();
}

void TextView::deleteSelection() {
    if (!readOnly && hasSelection())
        editing.replaceSelection(QString(), EditHistory::Kind::Compound);
}

// Both leave the caret after the text put back, with nothing selected, as QPlainTextEdit does.
void TextView::undo() {
    if (!readOnly && editing.canUndo())
        takeBackStep(true);
}

void TextView::redo() {
    if (!readOnly && editing.canRedo())
        takeBackStep(false);
}

void TextView::takeBackStep(bool undoing) {
    const qsizetype furthest = editing.takeBackStep(undoing);
    if (furthest != cursorPosition()) {
        moveTo(furthest, furthest);
        ensureCursorVisible();
    }
}

void TextView::copy() {
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void TextView::cut() {
    if (readOnly || !hasSelection())
        return;
    copy();
    deleteSelection();
}

void TextView::paste() {
    if (readOnly)
        return;
    const QString pasted = QApplication::clipboard()->text();
    if (!pasted.isEmpty())
        editing.replaceSelection(normalizeLineBreaks(pasted), EditHistory::Kind::Paste);
}

void TextView::selectAll() {
    setSelection(0, text.size());
    exportSelection();
}

void TextView::exportSelection() {
    QClipboard* clipboard = QApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TextView::updateScrollBars() {
    const qsizetype visible = linesFromBottom();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, int(std::clamp<qsizetype>(text.lineCount() - visible, 0, INT_MAX)));
    vertical->setPageStep(int(std::max<qsizetype>(1, visible)));
    // As wide as the longest line (in characters) measures, or the widest line shown when that
    // is wider (wide characters): never a guess from a character count, so the range shrinks
    // when the longest line goes and the thumb does not jump over a line of CJK text.
    const qreal width = layout.scrollWidth() + 2 * margin() + 1;
    const qreal x = horizontalScrollBar()->value() * scrollStep;
    const qreal step = std::max<qreal>(1, std::ceil(width / widestInPixels));
    QScrollBar* horizontal = horizontalScrollBar();
    const qreal room = viewport()->width();
    horizontal->setRange(0, int(std::ceil(std::max<qreal>(0, width - room) / step)));
    horizontal->setPageStep(std::max(1, int(room / step)));
    horizontal->setSingleStep(std::max(1, int(20 / step)));
    if (step != scrollStep) {
        scrollStep = step;
        scrollToX(x);
    }
}

void TextView::ensureCursorVisible() {
    followCaretVertically();
    const qsizetype line = text.lineOf(cursorPosition());
    if (layout.noteWidened(line))
        updateScrollBars();
    const qreal room = viewport()->width() - 2 * margin();
    qreal x = layout.exactX(cursorPosition());
    // Segments coming into view are measured as they are laid out, which can move the caret
    // in a long line: settled in a few rounds, as painting will find it.
    for (int round = 0; round < 3; ++round) {
        const qreal left = horizontalScrollBar()->value() * scrollStep;
        qreal wanted = left;
        if (x < left)
            wanted = std::max<qreal>(0, x - room / 4);
        else if (x > left + room)
            wanted = x - room + room / 4;
        if (wanted == left)
            break;
        scrollToX(wanted);
        const qreal shown = -contentX();
        for (Stretch stretch = layout.stretchAtX(line, shown); stretch.layout;
             stretch = layout.stretchBeside(line, stretch, false))
            if (stretch.x + stretch.layout->lineAt(0).naturalTextWidth() > shown + room)
                break;
        x = layout.exactX(cursorPosition());
    }
}

void TextView::drawStretch(QPainter& painter, const Stretch& stretch, qsizetype line, int y) const {
    const qsizetype start = text.lineStart(line) + stretch.from;
    const qsizetype end = start + stretch.length;
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    QList<QTextLayout::FormatRange> selections;
    if (from < to && from <= end && to > start) {
        QTextLayout::FormatRange range;
        range.start = int(std::max(from, start) - start);
        range.length = int(std::min(to, end) - start) - range.start;
        range.format.setBackground(palette().brush(QPalette::Highlight));
        range.format.setForeground(palette().brush(QPalette::HighlightedText));
        selections.append(range);
    }
    const QPointF origin(contentX() + stretch.x, y);
    stretch.layout->draw(&painter, origin, selections);
    const QTextLine textLine = stretch.layout->lineAt(0);
    const bool lineEnds = end == text.lineEnd(line);
    if (lineEnds && from < to && to > end && from <= end) { // the selected line break
        const qreal mark = fontMetrics().averageCharWidth();
        const Qt::LayoutDirection direction = stretch.layout->textOption().textDirection();
        const bool leftward =
            direction == Qt::RightToLeft ||
            (direction == Qt::LayoutDirectionAuto && stretch.layout->text().isRightToLeft());
        painter.fillRect(
            QRectF(leftward ? origin.x() - mark : origin.x() + textLine.naturalTextWidth(), y, mark,
                   lineHeight()),
            palette().brush(QPalette::Highlight));
    }
    // The caret at a segment's edge belongs to the segment starting there.
    const qsizetype caret = cursorPosition();
    const QString& preedit = layout.preedit();
    const bool caretVisible = hasFocus() && caretShown && isEnabled() && !readOnly;
    if (caretVisible && caret >= start && (caret < end || lineEnds) && text.lineOf(caret) == line)
        stretch.layout->drawCursor(
            &painter, origin, int(caret - start + (preedit.isEmpty() ? 0 : preedit.size())), 1);
    // Where dragged text would go.
    if (dropMarker >= start && (dropMarker < end || lineEnds) && text.lineOf(dropMarker) == line)
        stretch.layout->drawCursor(&painter, origin, int(dropMarker - start), 1);
}

void TextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, palette().brush(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    const int height = lineHeight();
    const qsizetype first = firstVisibleLine();
    const qreal left = -contentX();
    const qreal right = left + viewport()->width();
    bool wider = false;
    for (qsizetype line = first; line < text.lineCount(); ++line) {
        const int y = lineY(line);
        if (y > area.bottom())
            break;
        if (y + height < area.top())
            continue;
        // A long line is drawn segment by segment, only those in view, from the left.
        for (Stretch stretch = layout.stretchAtX(line, std::max<qreal>(0, left)); stretch.layout;
             stretch = layout.stretchBeside(line, stretch, false)) {
            drawStretch(painter, stretch, line, y);
            if (stretch.x + stretch.layout->lineAt(0).naturalTextWidth() > right)
                break;
        }
        if (layout.noteShown(line))
            wider = true;
    }
    if (wider)
        QMetaObject::invokeMethod(
            this, [this] { updateScrollBars(); }, Qt::QueuedConnection);
}

void TextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TextView::restartBlink() {
    caretShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blink.start(flash / 2, this);
    else
        blink.stop();
}

void TextView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == tripleClick.timerId()) {
        tripleClick.stop();
        return;
    }
    if (event->timerId() == scrollTimer.timerId()) {
        autoScroll();
        return;
    }
    if (event->timerId() != blink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    caretShown = !caretShown;
    viewport()->update(cursorRect().adjusted(-2, 0, 2, 0));
}

void TextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blink.stop();
    viewport()->update();
}

void TextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        layout.setFont(font());
        updateScrollBars();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::EnabledChange)
        viewport()->update();
}

void TextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    // Each entry shows its key after a tab, as QPlainTextEdit's do (where the desktop wants it).
    const bool showKeys =
        !QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus) &&
        QGuiApplication::styleHints()->showShortcutsInContextMenus();
    auto add = [&](const QString& label, QKeySequence::StandardKey key, void (TextView::*slot)(),
                   bool enabled) {
        const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action =
            menu.addAction(showKeys && !keys.isEmpty() ? label + u'\t' + keys : label, this, slot);
        action->setEnabled(enabled);
    };
    const bool editable = !readOnly && isEnabled();
    add(tr("&Undo"), QKeySequence::Undo, &TextView::undo, editable && canUndo());
    add(tr("&Redo"), QKeySequence::Redo, &TextView::redo, editable && canRedo());
    menu.addSeparator();
    add(tr("Cu&t"), QKeySequence::Cut, &TextView::cut, editable && hasSelection());
    add(tr("&Copy"), QKeySequence::Copy, &TextView::copy, hasSelection());
    add(tr("&Paste"), QKeySequence::Paste, &TextView::paste,
        editable && !QApplication::clipboard()->text().isEmpty());
    add(tr("Delete"), QKeySequence::UnknownKey, &TextView::deleteSelection,
        editable && hasSelection());
    menu.addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, &TextView::selectAll, !text.isEmpty());
    menu.exec(event->globalPos());
}

void TextView::inputMethodEvent(QInputMethodEvent* event) {
    if (held && !readOnly && isEnabled()) {
        heldInput.emplace_back(event->clone());
        event->accept();
        return;
    }
    if (readOnly || !isEnabled()) {
        event->ignore();
        return;
    }
    // Input methods commit in steps of their own, as in QPlainTextEdit.
    if (event->replacementLength() > 0 || event->replacementStart() != 0) {
        const qsizetype start = cursorPosition() + event->replacementStart();
        editing.edit(start, event->replacementLength(), normalizeLineBreaks(event->commitString()),
                     EditHistory::Kind::Compound);
    } else if (!event->commitString().isEmpty()) {
        insertText(event->commitString());
    }
    layout.setPreedit(event->preeditString());
    viewport()->update();
    event->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const qsizetype line = text.lineOf(cursorPosition());
    qsizetype start = text.lineStart(line);
    qsizetype end = text.lineEnd(line);
    if (end - start > 2 * LineSegments::nominalLength) {
        // Copying a huge line after every key would freeze typing in it.
        start = std::max(start, cursorPosition() - surroundingReach);
        end = std::min(end, cursorPosition() + surroundingReach);
        if (QChar::isLowSurrogate(text.at(start)))
            ++start;
        if (end < text.size() && QChar::isLowSurrogate(text.at(end)))
            --end;
    }
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !readOnly;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
        return cursorRect().translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(cursorPosition() - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(anchorPosition(), start, end) - start);
    case Qt::ImAbsolutePosition:
        return cursorPosition();
    case Qt::ImSurroundingText:
        return text.mid(start, end - start);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImTextBeforeCursor:
        return text.mid(start, cursorPosition() - start);
    case Qt::ImTextAfterCursor:
        return text.mid(cursorPosition(), end - cursorPosition());
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
