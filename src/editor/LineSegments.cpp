#include "editor/LineSegments.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace {
// Widths are kept in 1/64 px, as Qt measures them, so sums are exact.
constexpr qreal fixedScale = 64;
// An edit this close to an edge may have changed what makes it a good one.
constexpr qsizetype editReach = 320;

qint64 toFixed(qreal width) {
    return std::max<qint64>(0, std::llround(width * fixedScale));
}
} // namespace

void LineSegments::Sums::assign(const std::vector<qint64>& values) {
    tree.assign(values.size() + 1, 0);
    sum = 0;
    for (size_t i = 1; i <= values.size(); ++i) {
        tree[i] += values[i - 1];
        sum += values[i - 1];
        const size_t parent = i + (i & (~i + 1));
        if (parent < tree.size())
            tree[parent] += tree[i];
    }
}

void LineSegments::Sums::add(size_t i, qint64 delta) {
    sum += delta;
    for (size_t k = i + 1; k < tree.size(); k += k & (~k + 1))
        tree[k] += delta;
}

qint64 LineSegments::Sums::prefix(size_t count) const {
    qint64 s = 0;
    for (size_t k = count; k > 0; k -= k & (~k + 1))
        s += tree[k];
    return s;
}

size_t LineSegments::Sums::find(qint64 at) const {
    const size_t n = tree.size() - 1;
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    size_t found = 0;
    for (; step > 0; step /= 2) {
        if (found + step <= n && tree[found + step] <= at) {
            found += step;
            at -= tree[found];
        }
    }
    return std::min(found, n - 1);
}

LineSegments::LineSegments(qsizetype start, qsizetype length, qreal unitWidth)
    : lineStart(start), perUnit(unitWidth * fixedScale) {
    const qsizetype n = std::max<qsizetype>(1, length / nominalLength);
    lengthOf.assign(size_t(n), nominalLength);
    lengthOf.back() = length - (n - 1) * nominalLength;
    widthOf.resize(size_t(n));
    for (size_t i = 0; i < widthOf.size(); ++i)
        widthOf[i] = std::llround(perUnit * qreal(lengthOf[i]));
    measured.assign(size_t(n), false);
    placed.assign(size_t(n), false);
    placed[0] = true;
    rebuild();
}

void LineSegments::rebuild() {
    lengths.assign(lengthOf);
    widths.assign(widthOf);
}

qsizetype LineSegments::segmentAt(qsizetype offset) const {
    if (offset >= length())
        return count() - 1;
    return qsizetype(lengths.find(std::max<qsizetype>(offset, 0)));
}

qreal LineSegments::x(qsizetype segment) const {
    return qreal(widths.prefix(size_t(segment))) / fixedScale;
}

qreal LineSegments::width(qsizetype segment) const {
    return qreal(widthOf[size_t(segment)]) / fixedScale;
}

qreal LineSegments::width() const {
    return qreal(widths.total()) / fixedScale;
}

qsizetype LineSegments::segmentAtX(qreal distance) const {
    return qsizetype(widths.find(std::llround(std::max<qreal>(distance, 0) * fixedScale)));
}

void LineSegments::setWidth(qsizetype segment, qint64 width) {
    width = std::max<qint64>(width, 0);
    widths.add(size_t(segment), width - widthOf[size_t(segment)]);
    widthOf[size_t(segment)] = width;
}

void LineSegments::setLength(qsizetype segment, qint64 length) {
    lengths.add(size_t(segment), length - lengthOf[size_t(segment)]);
    lengthOf[size_t(segment)] = length;
}

void LineSegments::unmeasure(qsizetype segment) {
    measured[size_t(segment)] = false;
}

void LineSegments::setMeasuredWidth(qsizetype segment, qreal width) {
    const qint64 fixed = toFixed(width);
    measured[size_t(segment)] = true;
    if (!calibrated && lengthOf[size_t(segment)] > 0) {
        // The first measured segment tells what a character of this line is like (wide CJK
        // or narrow Latin): the estimates of all the others follow it, once.
        calibrated = true;
        perUnit = qreal(fixed) / qreal(lengthOf[size_t(segment)]);
        for (size_t i = 0; i < widthOf.size(); ++i)
            if (!measured[i])
                widthOf[i] = std::llround(perUnit * qreal(lengthOf[i]));
        widthOf[size_t(segment)] = fixed;
        rebuild();
        return;
    }
    setWidth(segment, fixed);
}

void LineSegments::placeStart(qsizetype segment, qsizetype offset) {
    const qsizetype delta = offset - from(segment);
    if (delta != 0) {
        const qint64 moved = std::llround(perUnit * qreal(delta));
        setLength(segment - 1, lengthOf[size_t(segment - 1)] + delta);
        setLength(segment, lengthOf[size_t(segment)] - delta);
        setWidth(segment - 1, widthOf[size_t(segment - 1)] + moved);
        setWidth(segment, widthOf[size_t(segment)] - moved);
        unmeasure(segment - 1);
        unmeasure(segment);
    }
    placed[size_t(segment)] = true;
}

void LineSegments::replaced(qsizetype offset, qsizetype removed, qsizetype inserted) {
    if (removed > 0) {
        const qsizetype first = segmentAt(offset);
        const qsizetype last = segmentAt(offset + removed - 1);
        if (first == last) {
            setLength(first, lengthOf[size_t(first)] - removed);
            setWidth(first, widthOf[size_t(first)] - std::llround(perUnit * qreal(removed)));
        } else {
            // What is left of the first and the last becomes one segment.
            const qint64 kept =
                (offset - from(first)) + (from(last) + lengthOf[size_t(last)] - offset - removed);
            lengthOf[size_t(first)] = kept;
            widthOf[size_t(first)] = std::llround(perUnit * qreal(kept));
            const auto a = qsizetype(first) + 1;
            const auto b = qsizetype(last) + 1;
            lengthOf.erase(lengthOf.begin() + a, lengthOf.begin() + b);
            widthOf.erase(widthOf.begin() + a, widthOf.begin() + b);
            measured.erase(measured.begin() + a, measured.begin() + b);
            placed.erase(placed.begin() + a, placed.begin() + b);
            rebuild();
        }
        unmeasure(first);
        rebalance(first);
    }
    const qsizetype segment = segmentAt(offset);
    if (inserted > 0) {
        setLength(segment, lengthOf[size_t(segment)] + inserted);
        setWidth(segment, widthOf[size_t(segment)] + std::llround(perUnit * qreal(inserted)));
        unmeasure(segment);
    }
    // The edges near the edit are placed again before they are next used.
    if (segment > 0 && offset - from(segment) < editReach) {
        placed[size_t(segment)] = false;
        unmeasure(segment - 1);
    }
    const qsizetype end = from(segment) + lengthOf[size_t(segment)];
    if (segment + 1 < count() && end - (offset + inserted) < editReach) {
        placed[size_t(segment + 1)] = false;
        unmeasure(segment + 1);
    }
    rebalance(segment);
}

void LineSegments::rebalance(qsizetype segment) {
    const auto i = size_t(segment);
    if (lengthOf[i] > 2 * nominalLength) {
        const qint64 length = lengthOf[i];
        const qint64 width = widthOf[i];
        const qsizetype parts = qsizetype((length + nominalLength - 1) / nominalLength);
        std::vector<qint64> partLengths(size_t(parts), nominalLength);
        partLengths.back() = length - (parts - 1) * nominalLength;
        std::vector<qint64> partWidths(partLengths.size());
        for (size_t k = 0; k < partWidths.size(); ++k)
            partWidths[k] = width * partLengths[k] / length;
        const auto at = qsizetype(i);
        lengthOf[i] = partLengths[0];
        widthOf[i] = partWidths[0];
        measured[i] = false;
        lengthOf.insert(lengthOf.begin() + at + 1, partLengths.begin() + 1, partLengths.end());
        widthOf.insert(widthOf.begin() + at + 1, partWidths.begin() + 1, partWidths.end());
        measured.insert(measured.begin() + at + 1, size_t(parts - 1), false);
        placed.insert(placed.begin() + at + 1, size_t(parts - 1), false);
        rebuild();
    } else if (lengthOf[i] < nominalLength / 8 && count() > 1) {
        // Merged into its shorter neighbour.
        size_t left = i;
        if (i == 0 || (i + 1 < lengthOf.size() && lengthOf[i + 1] < lengthOf[i - 1]))
            left = i;
        else
            left = i - 1;
        lengthOf[left] += lengthOf[left + 1];
        widthOf[left] += widthOf[left + 1];
        measured[left] = false;
        const auto gone = qsizetype(left) + 1;
        lengthOf.erase(lengthOf.begin() + gone);
        widthOf.erase(widthOf.begin() + gone);
        measured.erase(measured.begin() + gone);
        placed.erase(placed.begin() + gone);
        rebuild();
    }
}

namespace {

enum class Direction : char { None, Left, Right, Number, Explicit };

Direction directionOf(char32_t c) {
    switch (QChar::direction(c)) {
    case QChar::DirL:
        return Direction::Left;
    case QChar::DirR:
    case QChar::DirAL:
        return Direction::Right;
    case QChar::DirEN:
    case QChar::DirAN:
        return Direction::Number;
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return Direction::Explicit;
    default:
        return Direction::None;
    }
}

char32_t codePointAt(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[i + 1]);
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
        return QChar::surrogateToUcs4(text[i - 1], c);
    return c.unicode();
}

bool isRegionalIndicator(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

} // namespace

qsizetype segmentEdge(QStringView text, qsizetype textStart, bool textStartsLine, qsizetype nominal,
                      qsizetype low, qsizetype high, bool rightToLeft) {
    const qsizetype n = text.size();
    // The nearest character with a direction before each place, and from it on.
    std::vector<Direction> before(size_t(n + 1), Direction::None);
    std::vector<Direction> after(size_t(n + 1), Direction::None);
    for (qsizetype i = 0; i < n; ++i) {
        const Direction d = directionOf(codePointAt(text, i));
        before[size_t(i + 1)] = d != Direction::None ? d : before[size_t(i)];
    }
    for (qsizetype i = n - 1; i >= 0; --i) {
        const Direction d = directionOf(codePointAt(text, i));
        after[size_t(i)] = d != Direction::None ? d : after[size_t(i + 1)];
    }
    const Direction base = rightToLeft ? Direction::Right : Direction::Left;
    // Cutting here leaves each run of the other direction whole: a side of the cut is of the
    // line's own direction (numbers count as neither), or no side has a direction at all.
    auto keepsRuns = [&](qsizetype i) {
        const Direction b = before[size_t(i)];
        const Direction a = after[size_t(i)];
        if (b == Direction::Explicit || a == Direction::Explicit)
            return false;
        return b == base || a == base || (b == Direction::None && a == Direction::None);
    };
    const QString copy = text.toString();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, copy);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, copy);
    // Boundaries right after a cut start may be wrong (an emoji sequence or a flag begun
    // before it): only trusted some way in.
    const qsizetype trusted = textStartsLine ? 1 : 64;
    auto scoreAt = [&](qsizetype offset) -> int {
        const qsizetype i = offset - textStart;
        if (i < trusted || i >= n)
            return -1;
        graphemes.setPosition(i);
        if (!graphemes.isAtBoundary())
            return -1;
        if (isRegionalIndicator(codePointAt(text, i)) &&
            isRegionalIndicator(codePointAt(text, i - 1))) {
            // A flag is a pair of indicators counted from the run's start, which must be here.
            qsizetype run = i;
            while (run >= 2 && isRegionalIndicator(codePointAt(text, run - 1)))
                run -= 2;
            if (run < 2 && !textStartsLine)
                return -1;
        }
        int score = keepsRuns(i) ? 8 : 0;
        const QChar previous = text[i - 1];
        if (previous == u'\t')
            score += 4;
        else if (previous.isSpace() && !text[i].isSpace())
            score += 2;
        else {
            words.setPosition(i);
            score += words.isAtBoundary() ? 1 : 0;
        }
        return score;
    };
    qsizetype best = -1;
    int bestScore = -1;
    for (qsizetype offset = std::min(nominal, high); offset >= low && bestScore < 12; --offset) {
        const int score = scoreAt(offset);
        if (score > bestScore) {
            best = offset;
            bestScore = score;
        }
        if (offset - textStart < trusted)
            break;
    }
    for (qsizetype offset = nominal + 1; best < 0 && offset <= high; ++offset)
        if (scoreAt(offset) >= 0)
            best = offset;
    return best;
}
