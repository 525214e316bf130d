#include "editor/TextView.h"

#include "editor/LineBreaks.h"
#include "editor/TextBoundaries.h"
#include "editor/TextViewAccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Tab stops as in Qt's own plain-text box.
constexpr qreal tabStop = 80;
// Laying out a line costs time in its length; a longer line is laid out in segments of this
// many characters, and only those in view or around the caret (see stretchAt).
constexpr qsizetype segmentLength = 2048;
} // namespace

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
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
    setBuffer(TextBuffer(std::move(plain)));
}

void TextView::setBuffer(TextBuffer buffer) {
    // The text replaced lives until a reader has been told of it.
    const TextBuffer before = std::exchange(text, std::move(buffer));
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    segmented.clear();
    history.reset(text.size(), text.lineCount() - 1);
    cursor = anchor = 0;
    // A new text starts with the caret's column at the left edge, even on a right-to-left first
    // line, as in QPlainTextEdit.
    preferredX = 0;
    pageYKept = false;
    wordClicked = lineClicked = Range();
    widestSeen = 0;
    preedit.clear();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    notifyAccessibleReset(this, before, anchorBefore, cursorBefore);
    Q_EMIT textChanged();
    Q_EMIT cursorPositionChanged();
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
    return text.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TextView::setSelection(qsizetype anchorAt, qsizetype cursorAt) {
    moveTo(codePointStart(text, anchorAt), codePointStart(text, cursorAt));
}

void TextView::moveTo(qsizetype anchorAt, qsizetype cursorAt) {
    anchorAt = std::clamp<qsizetype>(anchorAt, 0, text.size());
    cursorAt = std::clamp<qsizetype>(cursorAt, 0, text.size());
    preferredX = -1;
    if (anchorAt == anchor && cursorAt == cursor)
        return;
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    if (cursorAt != cursor)
        pageYKept = false;
    anchor = anchorAt;
    cursor = cursorAt;
    restartBlink();
    viewport()->update();
    notifyAccessibleCursor(this, anchorBefore, cursorBefore);
    Q_EMIT cursorPositionChanged();
}

void TextView::setCursorPosition(qsizetype position, bool keepAnchor) {
    setSelection(keepAnchor ? anchor : position, position);
}

int TextView::lineHeight() const {
    // The height QTextLayout gives a line of the font, leading included, as QPlainTextEdit's.
    const QFontMetricsF metrics(font());
    return std::max(1, int(std::ceil(metrics.ascent() + metrics.descent() +
                                     std::max<qreal>(0, metrics.leading()))));
}

qsizetype TextView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

int TextView::contentX() const {
    return margin() - horizontalScrollBar()->value();
}

std::unique_ptr<QTextLayout> TextView::layoutText(QString shown, int preeditAt) const {
    // QTextLayout ends a line at U+2028 and only one line is laid out here, so the rest would
    // vanish: it is shown as a mark of the same length instead, leaving positions unchanged.
    shown.replace(QChar::LineSeparator, QChar(0x21B5));
    auto layout = std::make_unique<QTextLayout>(shown, font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (preeditAt >= 0 && !preedit.isEmpty())
        layout->setPreeditArea(preeditAt, preedit);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    if (textLine.isValid())
        textLine.setLineWidth(1e6);
    layout->endLayout();
    return layout;
}

qreal TextView::segmentX(qsizetype line, qsizetype segment) const {
    auto known = std::find_if(segmented.begin(), segmented.end(),
                              [line](const SegmentedLine& s) { return s.line == line; });
    if (known == segmented.end()) {
        if (segmented.size() >= 8)
            segmented.erase(segmented.begin());
        segmented.push_back({line, {0.0}});
        known = segmented.end() - 1;
    }
    std::vector<qreal>& segmentStarts = known->starts;
    const qsizetype start = text.lineStart(line);
    const qsizetype length = text.lineLength(line);
    while (qsizetype(segmentStarts.size()) <= segment) {
        const qsizetype from = qsizetype(segmentStarts.size() - 1) * segmentLength;
        const auto layout =
            layoutText(text.mid(start + from, std::min(segmentLength, length - from)), -1);
        segmentStarts.push_back(segmentStarts.back() + layout->lineAt(0).naturalTextWidth());
    }
    return segmentStarts[size_t(segment)];
}

TextView::Stretch TextView::stretchAt(qsizetype line, qsizetype offset) const {
    const qsizetype start = text.lineStart(line);
    const qsizetype length = text.lineLength(line);
    Stretch stretch;
    stretch.length = length;
    if (length > segmentLength) {
        const qsizetype segment = std::clamp<qsizetype>(offset, 0, length - 1) / segmentLength;
        stretch.from = segment * segmentLength;
        stretch.length = std::min(segmentLength, length - stretch.from);
        stretch.x = segmentX(line, segment);
    }
    const qsizetype caret = cursor - start - stretch.from;
    const bool preeditHere = text.lineOf(cursor) == line && caret >= 0 && caret <= stretch.length;
    stretch.layout =
        layoutText(text.mid(start + stretch.from, stretch.length), preeditHere ? int(caret) : -1);
    return stretch;
}

TextView::Stretch TextView::stretchAtX(qsizetype line, qreal x) const {
    const qsizetype length = text.lineLength(line);
    if (length <= segmentLength)
        return stretchAt(line, 0);
    const qsizetype segments = (length + segmentLength - 1) / segmentLength;
    qsizetype segment = 0;
    while (segment + 1 < segments && segmentX(line, segment + 1) <= x)
        ++segment;
    return stretchAt(line, segment * segmentLength);
}

void TextView::forgetSegments(qsizetype position, qsizetype length, const QString& replacement) {
    if (segmented.empty())
        return;
    const qsizetype line = text.lineOf(position);
    // Lines added or removed renumber the lines below: start again.
    if (text.lineOf(position + length) != line || replacement.contains(u'\n')) {
        segmented.clear();
        return;
    }
    // In the edited line, segments before the edit keep their widths.
    const size_t kept = size_t((position - text.lineStart(line)) / segmentLength + 1);
    for (SegmentedLine& s : segmented)
        if (s.line == line)
            s.starts.resize(std::min(s.starts.size(), kept));
}

int TextView::xOf(qsizetype position) const {
    return int(std::lround(exactX(position)));
}

qreal TextView::exactX(qsizetype position) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype offset = position - text.lineStart(line);
    const Stretch stretch = stretchAt(line, offset);
    int inStretch = int(offset - stretch.from);
    if (!preedit.isEmpty() && position == cursor)
        inStretch += int(preedit.size());
    return stretch.x + stretch.layout->lineAt(0).cursorToX(inStretch);
}

qsizetype TextView::positionInLineAt(qsizetype line, qreal x, bool onCharacter) const {
    const Stretch stretch = stretchAtX(line, x);
    return text.lineStart(line) + stretch.from +
           stretch.layout->lineAt(0).xToCursor(x - stretch.x,
                                               onCharacter ? QTextLine::CursorOnCharacter
                                                           : QTextLine::CursorBetweenCharacters);
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
    return positionInLineAt(line, point.x() - contentX(), onCharacter);
}

QRect TextView::characterRect(qsizetype position) const {
    const qsizetype line = text.lineOf(position);
    const int y = lineY(line);
    const int x = contentX() + xOf(position);
    const int next = position < text.lineEnd(line) ? contentX() + xOf(position + 1) : x + 4;
    return QRect(x, y, std::max(1, next - x), lineHeight());
}

QRect TextView::cursorRect() const {
    QRect r = characterRect(cursor);
    r.setWidth(1);
    return r;
}

qsizetype TextView::nextPosition(qsizetype position, bool word) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype start = text.lineStart(line);
    if (position >= text.lineEnd(line))
        return std::min(position + 1, text.size());
    const Stretch stretch = stretchAt(line, position - start);
    return start + stretch.from +
           stretch.layout->nextCursorPosition(int(position - start - stretch.from),
                                              word ? QTextLayout::SkipWords
                                                   : QTextLayout::SkipCharacters);
}

qsizetype TextView::previousPosition(qsizetype position, bool word) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype start = text.lineStart(line);
    if (position <= start)
        return std::max<qsizetype>(position - 1, 0);
    const Stretch stretch = stretchAt(line, position - start - 1);
    return start + stretch.from +
           stretch.layout->previousCursorPosition(int(position - start - stretch.from),
                                                  word ? QTextLayout::SkipWords
                                                       : QTextLayout::SkipCharacters);
}

void TextView::insertText(const QString& typed, bool typing) {
    if (readOnly)
        return;
    const QString replacement = normalizeLineBreaks(typed);
    // A character typed with nothing selected may join the typing before it in one undo step.
    const bool single = typing && !hasSelection() && !replacement.contains(u'\n');
    replaceSelection(replacement, single ? EditHistory::Kind::Single : EditHistory::Kind::Compound);
}

void TextView::replaceRange(qsizetype position, qsizetype length, const QString& replacement) {
    position = std::clamp<qsizetype>(position, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - position);
    if (length == 0 && replacement.isEmpty()) {
        setCursorPosition(position);
        return;
    }
    edit(position, length, replacement, EditHistory::Kind::Compound);
}

void TextView::replaceSelection(const QString& replacement, EditHistory::Kind kind) {
    edit(selectionStart(), selectionEnd() - selectionStart(), replacement, kind);
}

void TextView::wholeCodePoints(qsizetype& position, qsizetype& length) const {
    position = codePointStart(text, std::clamp<qsizetype>(position, 0, text.size()));
    qsizetype end =
        std::clamp<qsizetype>(position + std::max<qsizetype>(length, 0), 0, text.size());
    if (codePointStart(text, end) != end)
        ++end;
    length = end - position;
}

void TextView::edit(qsizetype position, qsizetype length, const QString& replacement,
                    EditHistory::Kind kind) {
    // Every change of the text but undo and redo (and a reader's, aside) comes here: it never
    // splits a surrogate pair and never puts in half of one.
    wholeCodePoints(position, length);
    const QString inserted = withoutLoneSurrogates(replacement);
    if (length == 0 && inserted.isEmpty())
        return;
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    history.record({position, text.mid(position, length), inserted}, kind);
    applyEdit(position, length, inserted);
    wordClicked = lineClicked = Range();
    cursor = anchor = position + inserted.size();
    preferredX = -1;
    pageYKept = false;
    ensureCursorVisible();
    restartBlink();
    // Moved by the removal or by the insertion, the caret is told even if back where it was.
    notifyAccessibleCursor(this, anchorBefore, cursorBefore,
                           cursorBefore != position || !inserted.isEmpty());
    Q_EMIT cursorPositionChanged();
}

void TextView::replaceRangeAside(qsizetype position, qsizetype length, const QString& replacement) {
    // Held, the text is being saved as it is: no edit can wait like a key, so none is made.
    if (readOnly || held)
        return;
    wholeCodePoints(position, length);
    const QString inserted = withoutLoneSurrogates(replacement);
    if (length == 0 && inserted.isEmpty())
        return;
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    history.record({position, text.mid(position, length), inserted}, EditHistory::Kind::Compound);
    applyEdit(position, length, inserted);
    // As a QTextCursor moves with an edit made by another: out of the removed stretch, then
    // past the inserted text.
    const auto moved = [&](qsizetype at) {
        at = at < position ? at : at < position + length ? position : at - length;
        return at < position ? at : at + inserted.size();
    };
    anchor = moved(anchor);
    cursor = moved(cursor);
    wordClicked = lineClicked = Range();
    if (cursor != cursorBefore)
        pageYKept = false;
    preferredX = -1;
    viewport()->update();
    notifyAccessibleCursor(this, anchorBefore, cursorBefore);
    if (cursor != cursorBefore)
        Q_EMIT cursorPositionChanged();
}

void TextView::applyEdit(qsizetype position, qsizetype length, const QString& replacement) {
    forgetSegments(position, length, replacement);
    // A reader is told what was removed, unless it is too much to hand over.
    const QString removed = accessibilityActive() && length <= largestAnnouncedText
                                ? text.mid(position, length)
                                : QString();
    text.remove(position, length);
    text.insert(position, replacement);
    updateScrollBars();
    viewport()->update();
    notifyAccessibleEdit(this, position, length, removed, replacement);
    Q_EMIT textChanged();
}

void TextView::deleteSelection() {
    if (!readOnly && hasSelection())
        replaceSelection(QString(), EditHistory::Kind::Compound);
}

// Both leave the caret after the text put back, with nothing selected, as QPlainTextEdit does.
void TextView::undo() {
    if (readOnly || !history.canUndo())
        return;
    const TextEdit back = history.undo();
    applyEdit(back.position, back.removed.size(), back.inserted);
    wordClicked = lineClicked = Range();
    anchor = cursor = -1; // forces the update below
    moveTo(back.position + back.inserted.size(), back.position + back.inserted.size());
    ensureCursorVisible();
}

void TextView::redo() {
    if (readOnly || !history.canRedo())
        return;
    const TextEdit again = history.redo();
    applyEdit(again.position, again.removed.size(), again.inserted);
    wordClicked = lineClicked = Range();
    anchor = cursor = -1;
    moveTo(again.position + again.inserted.size(), again.position + again.inserted.size());
    ensureCursorVisible();
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
        replaceSelection(normalizeLineBreaks(pasted), EditHistory::Kind::Paste);
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
    const qint64 estimate = qint64(text.longestLine()) * fontMetrics().averageCharWidth();
    const qint64 width = std::max<qint64>(estimate, widestSeen) + 2 * margin() + 1;
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, int(std::clamp<qint64>(width - viewport()->width(), 0, INT_MAX / 2)));
    horizontal->setPageStep(std::max(1, viewport()->width()));
}

void TextView::ensureCursorVisible() {
    followCaretVertically();
    const int x = xOf(cursor);
    if (x + margin() * 2 > widestSeen) {
        widestSeen = x + margin() * 2;
        updateScrollBars();
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int room = viewport()->width() - 2 * margin();
    if (x < horizontal->value())
        horizontal->setValue(std::max(0, x - room / 4));
    else if (x > horizontal->value() + room)
        horizontal->setValue(x - room + room / 4);
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
    const bool lastStretch = end == text.lineEnd(line);
    if (lastStretch && from < to && to > end && from <= end) // the selected line break
        painter.fillRect(QRectF(origin.x() + textLine.naturalTextWidth(), y,
                                fontMetrics().averageCharWidth(), lineHeight()),
                         palette().brush(QPalette::Highlight));
    widestSeen = std::max(widestSeen,
                          int(std::ceil(stretch.x + textLine.naturalTextWidth())) + 2 * margin());
    const bool showCaret = hasFocus() && caretShown && isEnabled() && !readOnly;
    if (showCaret && cursor >= start && cursor <= end && text.lineOf(cursor) == line)
        stretch.layout->drawCursor(
            &painter, origin, int(cursor - start + (preedit.isEmpty() ? 0 : preedit.size())), 1);
}

void TextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, palette().brush(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    const int height = lineHeight();
    const qsizetype first = firstVisibleLine();
    const int widest = widestSeen;
    const qreal left = horizontalScrollBar()->value() - margin();
    const qreal right = left + viewport()->width() + margin();
    for (qsizetype line = first; line < text.lineCount(); ++line) {
        const int y = lineY(line);
        if (y > area.bottom())
            break;
        if (y + height < area.top())
            continue;
        // A long line is drawn segment by segment, only those in view.
        Stretch stretch = stretchAtX(line, std::max<qreal>(0, left));
        while (true) {
            drawStretch(painter, stretch, line, y);
            const qsizetype next = stretch.from + stretch.length;
            if (next >= text.lineLength(line) ||
                stretch.x + stretch.layout->lineAt(0).naturalTextWidth() > right)
                break;
            stretch = stretchAt(line, next);
        }
    }
    if (widestSeen > widest)
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
        widestSeen = 0;
        segmented.clear();
        updateScrollBars();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::EnabledChange)
        viewport()->update();
}

void TextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    auto add = [&](const QString& label, void (TextView::*slot)(), bool enabled) {
        QAction* action = menu.addAction(label, this, slot);
        action->setEnabled(enabled);
    };
    const bool editable = !readOnly && isEnabled();
    add(tr("&Undo"), &TextView::undo, editable && canUndo());
    add(tr("&Redo"), &TextView::redo, editable && canRedo());
    menu.addSeparator();
    add(tr("Cu&t"), &TextView::cut, editable && hasSelection());
    add(tr("&Copy"), &TextView::copy, hasSelection());
    add(tr("&Paste"), &TextView::paste, editable && !QApplication::clipboard()->text().isEmpty());
    add(tr("Delete"), &TextView::deleteSelection, editable && hasSelection());
    menu.addSeparator();
    add(tr("Select All"), &TextView::selectAll, !text.isEmpty());
    menu.exec(event->globalPos());
}

void TextView::dragEnterEvent(QDragEnterEvent* event) {
    if (!readOnly && !held && event->mimeData()->hasText())
        event->acceptProposedAction();
}

void TextView::dragMoveEvent(QDragMoveEvent* event) {
    if (!readOnly && !held && event->mimeData()->hasText()) {
        setCursorPosition(positionAt(event->position().toPoint()));
        event->acceptProposedAction();
    }
}

void TextView::dropEvent(QDropEvent* event) {
    if (readOnly || held || !event->mimeData()->hasText())
        return;
    setCursorPosition(positionAt(event->position().toPoint()));
    replaceSelection(normalizeLineBreaks(event->mimeData()->text()), EditHistory::Kind::Paste);
    event->acceptProposedAction();
    setFocus();
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
        const qsizetype start = cursor + event->replacementStart();
        edit(start, event->replacementLength(), normalizeLineBreaks(event->commitString()),
             EditHistory::Kind::Compound);
    } else if (!event->commitString().isEmpty()) {
        insertText(event->commitString());
    }
    preedit = event->preeditString();
    viewport()->update();
    event->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const qsizetype line = text.lineOf(cursor);
    const qsizetype start = text.lineStart(line);
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
        return int(cursor - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(anchor, start, text.lineEnd(line)) - start);
    case Qt::ImAbsolutePosition:
        return cursor;
    case Qt::ImSurroundingText:
        return text.line(line);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImTextBeforeCursor:
        return text.mid(start, cursor - start);
    case Qt::ImTextAfterCursor:
        return text.mid(cursor, text.lineEnd(line) - cursor);
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
