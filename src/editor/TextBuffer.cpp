#include "editor/TextBuffer.h"

#include "platform/HugePages.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Positions of '\n' in [begin, end), added to out with offset added to each.
void findBreaks(const char16_t* begin, const char16_t* end, qsizetype offset,
                std::vector<qsizetype>& out) {
    const char16_t* p = begin;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi16('\n');
    while (end - p >= 8) {
        int mask = _mm_movemask_epi8(
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        while (mask) {
            const int bit = __builtin_ctz(unsigned(mask));
            out.push_back(p - begin + bit / 2 + offset);
            mask &= ~(3 << bit);
        }
        p += 8;
    }
#endif
    for (; p < end; ++p)
        if (*p == u'\n')
            out.push_back(p - begin + offset);
}

} // namespace

TextBuffer::TextBuffer(QString text) : store(std::move(text)) {
    const qsizetype size = store.size();
    // The spare capacity a decoder leaves is the first gap; resizing within it does not copy.
    store.resize(std::max(store.capacity(), size));
    gapStart = size;
    gapEnd = store.size();
    indexBreaks();
}

void TextBuffer::indexBreaks() {
    breaks.clear();
    const char16_t* data = units();
    breaks.reserve(size_t(gapStart / 64));
    findBreaks(data, data + gapStart, 0, breaks);
    findBreaks(data + gapEnd, data + store.size(), gapEnd, breaks);
    qsizetype previous = -1;
    longest = 0;
    for (const qsizetype at : breaks) {
        const qsizetype l = logical(at);
        longest = std::max(longest, l - previous - 1);
        previous = l;
    }
    longest = std::max(longest, size() - previous - 1);
}

qsizetype TextBuffer::lineStart(qsizetype line) const {
    return line <= 0 ? 0 : logical(breaks[size_t(line - 1)]) + 1;
}

qsizetype TextBuffer::lineEnd(qsizetype line) const {
    return line >= lineCount() - 1 ? size() : logical(breaks[size_t(line)]);
}

qsizetype TextBuffer::lineOf(qsizetype position) const {
    // The number of breaks before the position.
    const qsizetype physical = position < gapStart ? position : position + gapLength();
    return std::lower_bound(breaks.begin(), breaks.end(), physical) - breaks.begin();
}

QString TextBuffer::mid(qsizetype position, qsizetype length) const {
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    const char16_t* data = units();
    if (position + length <= gapStart)
        return QString(reinterpret_cast<const QChar*>(data + position), length);
    if (position >= gapStart)
        return QString(reinterpret_cast<const QChar*>(data + position + gapLength()), length);
    QString out(length, Qt::Uninitialized);
    const qsizetype before = gapStart - position;
    std::memcpy(static_cast<void*>(out.data()), data + position, size_t(before) * 2);
    std::memcpy(static_cast<void*>(out.data() + before), data + gapEnd,
                size_t(length - before) * 2);
    return out;
}

QString TextBuffer::toString() const {
    return mid(0, size());
}

std::pair<QStringView, QStringView> TextBuffer::parts() const {
    const char16_t* data = units();
    return {QStringView(data, gapStart), QStringView(data + gapEnd, store.size() - gapEnd)};
}

void TextBuffer::moveGap(qsizetype position) {
    if (position == gapStart)
        return;
    char16_t* data = units();
    const qsizetype gap = gapLength();
    if (position < gapStart) {
        // Text [position, gapStart) moves up behind the gap, and so do its breaks.
        std::memmove(data + position + gap, data + position, size_t(gapStart - position) * 2);
        auto from = std::lower_bound(breaks.begin(), breaks.end(), position);
        auto to = std::lower_bound(from, breaks.end(), gapStart);
        for (auto it = from; it != to; ++it)
            *it += gap;
    } else {
        std::memmove(data + gapStart, data + gapEnd, size_t(position - gapStart) * 2);
        auto from = std::lower_bound(breaks.begin(), breaks.end(), gapEnd);
        auto to = std::lower_bound(from, breaks.end(), position + gap);
        for (auto it = from; it != to; ++it)
            *it -= gap;
    }
    gapEnd = position + gap;
    gapStart = position;
}

void TextBuffer::growGap(qsizetype needed) {
    if (gapLength() >= needed)
        return;
    const qsizetype tail = store.size() - gapEnd;
    // Room for the edit plus a share of the text, so a long run of edits grows rarely.
    const qsizetype newGap = needed + 4096 + size() / 16;
    QString bigger(size() + newGap, Qt::Uninitialized);
    adviseHugePages(bigger.data(), size_t(bigger.size()) * 2);
    auto* to = reinterpret_cast<char16_t*>(bigger.data());
    std::memcpy(to, units(), size_t(gapStart) * 2);
    std::memcpy(to + gapStart + newGap, units() + gapEnd, size_t(tail) * 2);
    const qsizetype shift = (gapStart + newGap) - gapEnd;
    for (auto it = std::lower_bound(breaks.begin(), breaks.end(), gapEnd); it != breaks.end(); ++it)
        *it += shift;
    store = std::move(bigger);
    gapEnd = gapStart + newGap;
}

void TextBuffer::insert(qsizetype position, QStringView text) {
    if (text.isEmpty())
        return;
    position = std::clamp<qsizetype>(position, 0, size());
    growGap(text.size());
    moveGap(position);
    std::memcpy(units() + gapStart, text.utf16(), size_t(text.size()) * 2);
    std::vector<qsizetype> added;
    findBreaks(text.utf16(), text.utf16() + text.size(), gapStart, added);
    const auto at = std::lower_bound(breaks.begin(), breaks.end(), gapStart);
    breaks.insert(at, added.begin(), added.end());
    gapStart += text.size();
    // The lines the insertion touched may now be the longest.
    const qsizetype first = lineOf(position);
    longest = std::max({longest, lineLength(first), lineLength(first + qsizetype(added.size()))});
    for (size_t i = 1; i < added.size(); ++i)
        longest = std::max(longest, added[i] - added[i - 1] - 1);
}

void TextBuffer::remove(qsizetype position, qsizetype length) {
    position = std::clamp<qsizetype>(position, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - position);
    if (length == 0)
        return;
    moveGap(position);
    const auto from = std::lower_bound(breaks.begin(), breaks.end(), gapEnd);
    const auto to = std::lower_bound(from, breaks.end(), gapEnd + length);
    breaks.erase(from, to);
    gapEnd += length;
    longest = std::max(longest, lineLength(lineOf(position)));
}
