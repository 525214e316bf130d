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
// Tab stops as in Qt's own plain-text box. In a line laid out in segments they count from the
// segment's start, which is placed just after a tab wherever one is near (see segmentEdge):
// columns of tab-separated data stay aligned, a lone tab far from any other may not be.
constexpr qreal tabStop = 80;
constexpr size_t keptLongLines = 8;
constexpr size_t keptLayouts = 8;
// An edit this near a long line's start may change its direction (see isRightToLeft).
constexpr qsizetype directionReach = qsizetype(1) << 20;
// Characters read before a segment's nominal edge to find a good place for it, and read
// around that for context.
constexpr qsizetype edgeLookBack = 256;
constexpr qsizetype edgeContext = 64;
// A word move crosses at most this many segment edges inside one word (128K characters).
constexpr int wordHops = 64;
// Past this width the horizontal scroll bar (an int) counts in steps of several pixels.
constexpr qreal widestInPixels = 1e9;
// Input methods are offered a long line around the caret only: they read it after each key.
constexpr qsizetype surroundingReach = 1024;

// Qt's own classes for moving by words (QTextEngine::atSpace, atWordSeparator).
enum class WordClass { Space, Separator, Word };
WordClass wordClass(char16_t c) {
    if (c == u'\t' || c == u' ' || c == 0xA0)
        return WordClass::Space;
    return isWordSeparator(c) ? WordClass::Separator : WordClass::Word;
}

// Rounded as QPlainTextEdit rounds its caret, and kept well inside int.
int toPixel(qreal x) {
    return int(std::lround(std::clamp<qreal>(x, -(1 << 30), 1 << 30)));
}
} // namespace

TextView::TextView(QWidget* parent) : TextView(*new Document, parent) {
    doc.setParent(this);
}

TextView::TextView(Document& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc(document), text(document.editableBuffer()) {
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
    caret = codePointStart(replaced, std::clamp<qsizetype>(caret, 0, replaced.size()));
    history.recordWhole(text, cursor, replaced, caret);
    putText(std::move(replaced), caret);
    ensureCursorVisible();
}

void TextView::putText(TextBuffer replaced, qsizetype caret) {
    placedCaret = caret;
    doc.setText(std::move(replaced));
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
    const std::optional<qsizetype> placed = std::exchange(placedCaret, std::nullopt);
    if (!placed) {
        history.reset(text.size(), text.lineCount() - 1);
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    }
    const qsizetype caret = placed.value_or(0);
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    segmented.clear();
    layouts.clear();
    longestMeasured = widestShown = MeasuredLine();
    cursor = anchor = caret;
    preferredX = -1;
    pageYKept = false;
    wordClicked = lineClicked = Range();
    preedit.clear();
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

qreal TextView::contentX() const {
    return margin() - horizontalScrollBar()->value() * scrollStep;
}

void TextView::scrollToX(qreal x) {
    horizontalScrollBar()->setValue(int(std::lround(x / scrollStep)));
}

std::shared_ptr<QTextLayout> TextView::layoutText(qsizetype start, qsizetype length, int preeditAt,
                                                  Qt::LayoutDirection direction) const {
    for (const CachedLayout& cached : layouts)
        if (cached.start == start && cached.length == length && cached.preeditAt == preeditAt &&
            cached.direction == direction)
            return cached.layout;
    // QTextLayout ends a line at U+2028 and only one line is laid out here, so the rest would
    // vanish: it is shown as a mark of the same length instead, leaving positions unchanged.
    QString shown = text.mid(start, length);
    shown.replace(QChar::LineSeparator, QChar(0x21B5));
    auto layout = std::make_shared<QTextLayout>(shown, font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    option.setTextDirection(direction);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (preeditAt >= 0 && !preedit.isEmpty())
        layout->setPreeditArea(preeditAt, preedit);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    if (textLine.isValid())
        textLine.setLineWidth(1e6);
    layout->endLayout();
    if (layouts.size() >= keptLayouts)
        layouts.erase(layouts.begin());
    layouts.push_back({start, length, preeditAt, direction, layout});
    return layout;
}

LineSegments* TextView::segmentsOf(qsizetype line) const {
    const qsizetype length = text.lineLength(line);
    if (length <= LineSegments::nominalLength)
        return nullptr;
    const qsizetype start = text.lineStart(line);
    LineSegments* found = nullptr;
    for (auto it = segmented.begin(); it != segmented.end(); ++it) {
        if ((*it)->start() != start)
            continue;
        if ((*it)->length() == length)
            found = it->get();
        else
            segmented.erase(it);
        break;
    }
    if (!found) {
        if (segmented.size() >= keptLongLines)
            segmented.erase(segmented.begin());
        segmented.push_back(
            std::make_unique<LineSegments>(start, length, fontMetrics().averageCharWidth()));
        found = segmented.back().get();
    }
    if (!found->directionKnown) {
        found->rightToLeft = isRightToLeft(line);
        found->directionKnown = true;
    }
    return found;
}

void TextView::placeSegmentStart(LineSegments& segments, qsizetype segment) const {
    if (segment <= 0 || segment >= segments.count() || segments.isStartPlaced(segment))
        return;
    const qsizetype nominal = segments.from(segment);
    const qsizetype low = segments.from(segment - 1) + 1;
    const qsizetype high = nominal + segments.lengthOfSegment(segment) - 1;
    // Near the nominal edge first; then anywhere in the two segments.
    for (const qsizetype reach : {edgeLookBack, high - low}) {
        const qsizetype first = std::max(low, nominal - reach);
        const qsizetype last = std::min(high, nominal + reach);
        const qsizetype from = std::max<qsizetype>(0, first - edgeContext);
        const qsizetype to = std::min(segments.length(), last + edgeContext);
        const QString context = text.mid(segments.start() + from, to - from);
        const qsizetype edge =
            segmentEdge(context, from, from == 0, nominal, first, last, segments.rightToLeft);
        if (edge >= 0) {
            segments.placeStart(segment, edge);
            return;
        }
    }
    // One grapheme cluster fills both segments: cut it between two code points at least.
    qsizetype edge = nominal;
    if (QChar::isLowSurrogate(text.at(segments.start() + edge)) && edge - 1 >= low)
        --edge;
    segments.placeStart(segment, edge);
}

TextView::Stretch TextView::segmentStretch(qsizetype line, LineSegments& segments,
                                           qsizetype segment) const {
    placeSegmentStart(segments, segment);
    placeSegmentStart(segments, segment + 1);
    Stretch stretch;
    stretch.from = segments.from(segment);
    stretch.length = segments.lengthOfSegment(segment);
    const qsizetype start = segments.start() + stretch.from;
    const Qt::LayoutDirection direction = segments.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    if (!segments.isMeasured(segment))
        segments.setMeasuredWidth(
            segment,
            layoutText(start, stretch.length, -1, direction)->lineAt(0).naturalTextWidth());
    const qsizetype caret = cursor - start;
    const bool preeditHere = !preedit.isEmpty() && caret >= 0 &&
                             (caret < stretch.length || segment + 1 == segments.count()) &&
                             text.lineOf(cursor) == line;
    stretch.layout = layoutText(start, stretch.length, preeditHere ? int(caret) : -1, direction);
    // A right-to-left line runs from its right end: its first segment is the rightmost.
    stretch.x = segments.rightToLeft
                    ? segments.width() - segments.x(segment) - segments.width(segment)
                    : segments.x(segment);
    return stretch;
}

TextView::Stretch TextView::stretchAt(qsizetype line, qsizetype offset) const {
    LineSegments* segments = segmentsOf(line);
    if (!segments) {
        const qsizetype start = text.lineStart(line);
        Stretch stretch;
        stretch.length = text.lineLength(line);
        const qsizetype caret = cursor - start;
        const bool preeditHere = !preedit.isEmpty() && caret >= 0 && caret <= stretch.length &&
                                 text.lineOf(cursor) == line;
        stretch.layout = layoutText(start, stretch.length, preeditHere ? int(caret) : -1,
                                    Qt::LayoutDirectionAuto);
        return stretch;
    }
    // Placing a segment's edges may hand the offset to its neighbour.
    qsizetype segment = segments->segmentAt(offset);
    for (int round = 0; round < 3; ++round) {
        placeSegmentStart(*segments, segment);
        placeSegmentStart(*segments, segment + 1);
        const qsizetype now = segments->segmentAt(offset);
        if (now == segment)
            break;
        segment = now;
    }
    return segmentStretch(line, *segments, segment);
}

TextView::Stretch TextView::stretchAtX(qsizetype line, qreal x) const {
    LineSegments* segments = segmentsOf(line);
    if (!segments)
        return stretchAt(line, 0);
    // Measuring a segment may move x into its neighbour.
    qsizetype segment = -1;
    Stretch stretch;
    for (int round = 0; round < 4; ++round) {
        const qsizetype at =
            segments->segmentAtX(segments->rightToLeft ? segments->width() - x : x);
        if (at == segment)
            break;
        segment = at;
        stretch = segmentStretch(line, *segments, segment);
    }
    return stretch;
}

TextView::Stretch TextView::stretchBeside(qsizetype line, const Stretch& stretch, bool left) const {
    LineSegments* segments = segmentsOf(line);
    if (!segments)
        return Stretch();
    const qsizetype next =
        segments->segmentAt(stretch.from) + (left != segments->rightToLeft ? -1 : 1);
    if (next < 0 || next >= segments->count())
        return Stretch();
    return segmentStretch(line, *segments, next);
}

qreal TextView::lineWidth(qsizetype line) const {
    if (LineSegments* segments = segmentsOf(line)) {
        // One segment measured tells the width of the others far better than the font's
        // average character (CJK, say).
        if (!segments->isCalibrated())
            segmentStretch(line, *segments, 0);
        return segments->width();
    }
    return stretchAt(line, 0).layout->lineAt(0).naturalTextWidth();
}

void TextView::followEdit(qsizetype position, qsizetype length, const QString& replacement) {
    layouts.clear();
    const qsizetype end = position + length;
    const qsizetype shift = replacement.size() - length;
    const bool addsBreaks = replacement.contains(u'\n');
    enum Effect { Untouched, Inside, Gone };
    // How the edit touches the line [start, start + lineLength] (its break included); the
    // start moves with edits before it.
    auto effect = [&](qsizetype& start, qsizetype lineLength) {
        if (end < start) {
            start += shift;
            return Untouched;
        }
        if (position > start + lineLength)
            return Untouched;
        return position >= start && end <= start + lineLength && !addsBreaks ? Inside : Gone;
    };
    for (auto it = segmented.begin(); it != segmented.end();) {
        LineSegments& segments = **it;
        qsizetype start = segments.start();
        const Effect what = effect(start, segments.length());
        if (what == Inside) {
            segments.replaced(position - start, length, replacement.size());
            if (position - start < directionReach)
                segments.directionKnown = false;
        }
        if (what == Gone || segments.length() <= LineSegments::nominalLength) {
            it = segmented.erase(it);
            continue;
        }
        segments.moveStart(start - segments.start());
        ++it;
    }
    for (MeasuredLine* measured : {&longestMeasured, &widestShown})
        if (measured->start >= 0 && effect(measured->start, measured->length) != Untouched)
            measured->start = -2; // measured again once the edit is made
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
    const int x = toPixel(contentX() + exactX(position));
    // As wide as the whole character (a surrogate pair, a cluster) when it runs to the right.
    const int next = position < text.lineEnd(line)
                         ? toPixel(contentX() + exactX(nextPosition(position, false)))
                         : x + 4;
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
    const qsizetype length = text.lineLength(line);
    if (position >= start + length)
        return std::min(position + 1, text.size());
    const auto mode = word ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    qsizetype offset = position - start;
    // A word running over a segment's edge is followed into the next segment.
    for (int hop = 0; hop <= wordHops; ++hop) {
        const Stretch stretch = stretchAt(line, offset);
        const qsizetype edge = stretch.from + stretch.length;
        offset =
            stretch.from + stretch.layout->nextCursorPosition(int(offset - stretch.from), mode);
        if (!word || offset < edge || edge >= length || endsWordMove(start + edge))
            break;
    }
    return start + offset;
}

bool TextView::endsWordMove(qsizetype position) const {
    const WordClass after = wordClass(text.at(position));
    return after != WordClass::Space && wordClass(text.at(position - 1)) != after;
}

qsizetype TextView::previousPosition(qsizetype position, bool word) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype start = text.lineStart(line);
    if (position <= start)
        return std::max<qsizetype>(position - 1, 0);
    const auto mode = word ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    qsizetype offset = position - start;
    for (int hop = 0; hop <= wordHops; ++hop) {
        const Stretch stretch = stretchAt(line, offset - 1);
        offset =
            stretch.from + stretch.layout->previousCursorPosition(int(offset - stretch.from), mode);
        if (!word || offset > stretch.from || stretch.from == 0 ||
            endsWordMove(start + stretch.from))
            break;
    }
    return start + offset;
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
    followEdit(position, length, replacement);
    // A reader is told what was removed, unless it is too much to hand over.
    const QString removed = accessibilityActive() && length <= largestAnnouncedText
                                ? text.mid(position, length)
                                : QString();
    doc.edit(position, length, replacement);
    if (widestShown.start == -2) {
        // The widest line shown was edited: its width now, or the width of what replaced it.
        const qsizetype line = text.lineOf(position);
        widestShown = {text.lineStart(line), text.lineLength(line), lineWidth(line)};
    }
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
    if (!readOnly && history.canUndo())
        takeBackStep(true);
}

void TextView::redo() {
    if (!readOnly && history.canRedo())
        takeBackStep(false);
}

// A step of two edits (a moved text) leaves the caret at the end of all it changed, as the
// document behind QPlainTextEdit does.
void TextView::takeBackStep(bool undoing) {
    takeBack(undoing ? history.undo() : history.redo());
    qsizetype furthest = cursor;
    while (history.goesOn()) {
        const TextEdit edit = undoing ? history.undo() : history.redo();
        if (furthest >= edit.position)
            furthest += edit.inserted.size() - edit.removed.size();
        takeBack(edit);
        furthest = std::max(furthest, cursor);
    }
    if (furthest != cursor) {
        moveTo(furthest, furthest);
        ensureCursorVisible();
    }
}

void TextView::takeBack(const TextEdit& edit) {
    if (edit.whole) {
        putText(*edit.whole, edit.position);
        ensureCursorVisible();
        return;
    }
    const qsizetype anchorBefore = anchor;
    const qsizetype cursorBefore = cursor;
    applyEdit(edit.position, edit.removed.size(), edit.inserted);
    wordClicked = lineClicked = Range();
    cursor = anchor = edit.position + edit.inserted.size();
    preferredX = -1;
    pageYKept = false;
    ensureCursorVisible();
    restartBlink();
    viewport()->update();
    // A selection the step drops is told too, as when typing replaces it.
    notifyAccessibleCursor(this, anchorBefore, cursorBefore, true);
    Q_EMIT cursorPositionChanged();
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
    // As wide as the longest line (in characters) measures, or the widest line shown when that
    // is wider (wide characters): never a guess from a character count, so the range shrinks
    // when the longest line goes and the thumb does not jump over a line of CJK text.
    const qsizetype longestStart = text.longestLineStart();
    const qsizetype longestLine = text.lineOf(longestStart);
    if (longestMeasured.start != longestStart || longestMeasured.length != text.longestLine() ||
        text.longestLine() > LineSegments::nominalLength)
        longestMeasured = {longestStart, text.longestLine(), lineWidth(longestLine)};
    const qreal width = std::max(longestMeasured.width, widestShown.width) + 2 * margin() + 1;
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
    const qsizetype line = text.lineOf(cursor);
    const qreal width = lineWidth(line);
    if (width > widestShown.width) {
        widestShown = {text.lineStart(line), text.lineLength(line), width};
        updateScrollBars();
    }
    const qreal room = viewport()->width() - 2 * margin();
    qreal x = exactX(cursor);
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
        for (Stretch stretch = stretchAtX(line, shown); stretch.layout;
             stretch = stretchBeside(line, stretch, false))
            if (stretch.x + stretch.layout->lineAt(0).naturalTextWidth() > shown + room)
                break;
        x = exactX(cursor);
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
    const bool showCaret = hasFocus() && caretShown && isEnabled() && !readOnly;
    if (showCaret && cursor >= start && (cursor < end || lineEnds) && text.lineOf(cursor) == line)
        stretch.layout->drawCursor(
            &painter, origin, int(cursor - start + (preedit.isEmpty() ? 0 : preedit.size())), 1);
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
        for (Stretch stretch = stretchAtX(line, std::max<qreal>(0, left)); stretch.layout;
             stretch = stretchBeside(line, stretch, false)) {
            drawStretch(painter, stretch, line, y);
            if (stretch.x + stretch.layout->lineAt(0).naturalTextWidth() > right)
                break;
        }
        // Measuring segments changes a long line's width: the range follows.
        const qreal width = lineWidth(line);
        const qsizetype start = text.lineStart(line);
        if (width > widestShown.width ||
            (start == widestShown.start && width != widestShown.width)) {
            widestShown = {start, text.lineLength(line), width};
            wider = true;
        }
        wider = wider || (start == longestMeasured.start && width != longestMeasured.width);
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
        segmented.clear();
        layouts.clear();
        longestMeasured = widestShown = MeasuredLine();
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
        const qsizetype start = cursor + event->replacementStart();
        edit(start, event->replacementLength(), normalizeLineBreaks(event->commitString()),
             EditHistory::Kind::Compound);
    } else if (!event->commitString().isEmpty()) {
        insertText(event->commitString());
    }
    if (preedit != event->preeditString()) {
        preedit = event->preeditString();
        layouts.clear();
    }
    viewport()->update();
    event->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const qsizetype line = text.lineOf(cursor);
    qsizetype start = text.lineStart(line);
    qsizetype end = text.lineEnd(line);
    if (end - start > 2 * LineSegments::nominalLength) {
        // Copying a huge line after every key would freeze typing in it.
        start = std::max(start, cursor - surroundingReach);
        end = std::min(end, cursor + surroundingReach);
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
        return int(cursor - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp(anchor, start, end) - start);
    case Qt::ImAbsolutePosition:
        return cursor;
    case Qt::ImSurroundingText:
        return text.mid(start, end - start);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImTextBeforeCursor:
        return text.mid(start, cursor - start);
    case Qt::ImTextAfterCursor:
        return text.mid(cursor, end - cursor);
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
