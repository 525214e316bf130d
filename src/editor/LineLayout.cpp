#include "editor/LineLayout.h"

#include "text/TextBoundaries.h"
#include "text/TextBuffer.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

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

// Qt's own classes for moving by words (QTextEngine::atSpace, atWordSeparator).
enum class WordClass { Space, Separator, Word };
WordClass wordClass(char16_t c) {
    if (c == u'\t' || c == u' ' || c == 0xA0)
        return WordClass::Space;
    return isWordSeparator(c) ? WordClass::Separator : WordClass::Word;
}
} // namespace

LineLayout::LineLayout(const TextBuffer& text, std::function<qsizetype()> caret)
    : text(text), caret(std::move(caret)) {}

LineLayout::~LineLayout() = default;

void LineLayout::setFont(const QFont& font) {
    shownFont = font;
    forgetMeasures();
}

int LineLayout::lineHeight() const {
    const QFontMetricsF metrics(shownFont);
    return std::max(1, int(std::ceil(metrics.ascent() + metrics.descent() +
                                     std::max<qreal>(0, metrics.leading()))));
}

void LineLayout::setPreedit(const QString& preedit) {
    if (preedit == preeditText)
        return;
    preeditText = preedit;
    layouts.clear();
}

void LineLayout::forget() {
    forgetMeasures();
    preeditText.clear();
}

void LineLayout::forgetMeasures() {
    segmented.clear();
    layouts.clear();
    longestMeasured = widestShown = MeasuredLine();
}

qreal LineLayout::scrollWidth() const {
    const qsizetype longestStart = text.longestLineStart();
    const qsizetype longestLine = text.lineOf(longestStart);
    if (longestMeasured.start != longestStart || longestMeasured.length != text.longestLine() ||
        text.longestLine() > LineSegments::nominalLength)
        longestMeasured = {longestStart, text.longestLine(), lineWidth(longestLine)};
    return std::max(longestMeasured.width, widestShown.width);
}

bool LineLayout::noteShown(qsizetype line) const {
    // Measuring segments changes a long line's width: the range follows.
    const qreal width = lineWidth(line);
    const qsizetype start = text.lineStart(line);
    bool wider = false;
    if (width > widestShown.width || (start == widestShown.start && width != widestShown.width)) {
        widestShown = {start, text.lineLength(line), width};
        wider = true;
    }
    return wider || (start == longestMeasured.start && width != longestMeasured.width);
}

bool LineLayout::noteWidened(qsizetype line) const {
    const qreal width = lineWidth(line);
    if (width <= widestShown.width)
        return false;
    widestShown = {text.lineStart(line), text.lineLength(line), width};
    return true;
}

void LineLayout::followEditMade(qsizetype position) {
    if (widestShown.start == -2) {
        // The widest line shown was edited: its width now, or the width of what replaced it.
        const qsizetype line = text.lineOf(position);
        widestShown = {text.lineStart(line), text.lineLength(line), lineWidth(line)};
    }
}

std::shared_ptr<QTextLayout> LineLayout::layoutText(qsizetype start, qsizetype length,
                                                    int preeditAt,
                                                    Qt::LayoutDirection direction) const {
    for (const CachedLayout& cached : layouts)
        if (cached.start == start && cached.length == length && cached.preeditAt == preeditAt &&
            cached.direction == direction)
            return cached.layout;
    // QTextLayout ends a line at U+2028 and only one line is laid out here, so the rest would
    // vanish: it is shown as a mark of the same length instead, leaving positions unchanged.
    QString shown = text.mid(start, length);
    shown.replace(QChar::LineSeparator, QChar(0x21B5));
    auto layout = std::make_shared<QTextLayout>(shown, shownFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    option.setTextDirection(direction);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (preeditAt >= 0 && !preeditText.isEmpty())
        layout->setPreeditArea(preeditAt, preeditText);
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

LineSegments* LineLayout::segmentsOf(qsizetype line) const {
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
        segmented.push_back(std::make_unique<LineSegments>(
            start, length, QFontMetrics(shownFont).averageCharWidth()));
        found = segmented.back().get();
    }
    if (!found->directionKnown) {
        found->rightToLeft = isRightToLeft(line);
        found->directionKnown = true;
    }
    return found;
}

void LineLayout::placeSegmentStart(LineSegments& segments, qsizetype segment) const {
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

LineLayout::Stretch LineLayout::segmentStretch(qsizetype line, LineSegments& segments,
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
    const qsizetype at = caret() - start;
    const bool preeditHere = !preeditText.isEmpty() && at >= 0 &&
                             (at < stretch.length || segment + 1 == segments.count()) &&
                             text.lineOf(caret()) == line;
    stretch.layout = layoutText(start, stretch.length, preeditHere ? int(at) : -1, direction);
    // A right-to-left line runs from its right end: its first segment is the rightmost.
    stretch.x = segments.rightToLeft
                    ? segments.width() - segments.x(segment) - segments.width(segment)
                    : segments.x(segment);
    return stretch;
}

LineLayout::Stretch LineLayout::stretchAt(qsizetype line, qsizetype offset) const {
    LineSegments* segments = segmentsOf(line);
    if (!segments) {
        const qsizetype start = text.lineStart(line);
        Stretch stretch;
        stretch.length = text.lineLength(line);
        const qsizetype at = caret() - start;
        const bool preeditHere = !preeditText.isEmpty() && at >= 0 && at <= stretch.length &&
                                 text.lineOf(caret()) == line;
        stretch.layout =
            layoutText(start, stretch.length, preeditHere ? int(at) : -1, Qt::LayoutDirectionAuto);
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

LineLayout::Stretch LineLayout::stretchAtX(qsizetype line, qreal x) const {
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

LineLayout::Stretch LineLayout::stretchBeside(qsizetype line, const Stretch& stretch,
                                              bool left) const {
    LineSegments* segments = segmentsOf(line);
    if (!segments)
        return Stretch();
    const qsizetype next =
        segments->segmentAt(stretch.from) + (left != segments->rightToLeft ? -1 : 1);
    if (next < 0 || next >= segments->count())
        return Stretch();
    return segmentStretch(line, *segments, next);
}

qreal LineLayout::lineWidth(qsizetype line) const {
    if (LineSegments* segments = segmentsOf(line)) {
        // One segment measured tells the width of the others far better than the font's
        // average character (CJK, say).
        if (!segments->isCalibrated())
            segmentStretch(line, *segments, 0);
        return segments->width();
    }
    return stretchAt(line, 0).layout->lineAt(0).naturalTextWidth();
}

void LineLayout::followEdit(qsizetype position, qsizetype length, const QString& replacement) {
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

qreal LineLayout::exactX(qsizetype position) const {
    const qsizetype line = text.lineOf(position);
    const qsizetype offset = position - text.lineStart(line);
    const Stretch stretch = stretchAt(line, offset);
    int inStretch = int(offset - stretch.from);
    if (!preeditText.isEmpty() && position == caret())
        inStretch += int(preeditText.size());
    return stretch.x + stretch.layout->lineAt(0).cursorToX(inStretch);
}

qsizetype LineLayout::positionInLineAt(qsizetype line, qreal x, bool onCharacter) const {
    const Stretch stretch = stretchAtX(line, x);
    return text.lineStart(line) + stretch.from +
           stretch.layout->lineAt(0).xToCursor(x - stretch.x,
                                               onCharacter ? QTextLine::CursorOnCharacter
                                                           : QTextLine::CursorBetweenCharacters);
}

qsizetype LineLayout::nextPosition(qsizetype position, bool word) const {
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

bool LineLayout::endsWordMove(qsizetype position) const {
    const WordClass after = wordClass(text.at(position));
    return after != WordClass::Space && wordClass(text.at(position - 1)) != after;
}

qsizetype LineLayout::previousPosition(qsizetype position, bool word) const {
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

bool LineLayout::isRightToLeft(qsizetype line) const {
    // The first character with a strong direction decides, as for a QTextBlock; a line without
    // one (or none in its first megabyte) runs left to right.
    constexpr qsizetype chunk = 4096;
    constexpr qsizetype searched = qsizetype(1) << 20;
    const qsizetype start = text.lineStart(line);
    const qsizetype length = std::min(text.lineLength(line), searched);
    for (qsizetype from = 0; from < length; from += chunk) {
        const QString part = text.mid(start + from, std::min(chunk + 1, length - from));
        for (qsizetype i = 0; i < std::min(chunk, part.size()); ++i) {
            char32_t c = part.at(i).unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < part.size() && part.at(i + 1).isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), part.at(++i).unicode());
            switch (QChar::direction(c)) {
            case QChar::DirL:
                return false;
            case QChar::DirR:
            case QChar::DirAL:
                return true;
            default:
                break;
            }
        }
    }
    return false;
}
