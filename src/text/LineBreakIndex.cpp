#include "text/LineBreakIndex.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
template <typename T> qsizetype readAt(const uint8_t* p, qsizetype j) {
    T v;
    std::memcpy(&v, p + j * qsizetype(sizeof(T)), sizeof(T));
    return qsizetype(v);
}

template <typename T> void writeAll(uint8_t* out, const qsizetype* positions, qsizetype n) {
    for (qsizetype j = 0; j < n; ++j) {
        const T v = T(positions[j] - positions[0]);
        std::memcpy(out + j * qsizetype(sizeof(T)), &v, sizeof(T));
    }
}
} // namespace

qsizetype LineBreakIndex::delta(qsizetype block, qsizetype j) const {
    const quint64 where = offsets[size_t(block)];
    const uint8_t* p = distances.data() + (where >> 2);
    switch (where & 3) {
    case 0:
        return p[j];
    case 1:
        return readAt<quint16>(p, j);
    case 2:
        return readAt<quint32>(p, j);
    default:
        return readAt<qint64>(p, j);
    }
}

qsizetype LineBreakIndex::at(qsizetype i) const {
    const qsizetype block = i >> blockBits;
    const qsizetype j = i & (blockSize - 1);
    if (block >= qsizetype(bases.size()))
        return tail[size_t(j)];
    return bases[size_t(block)] + delta(block, j);
}

qsizetype LineBreakIndex::lowerBound(qsizetype position) const {
    const qsizetype full = qsizetype(bases.size());
    if (full == 0 || position > lastFlushed) {
        const auto it = std::lower_bound(tail.begin(), tail.begin() + tailCount, position);
        return full * blockSize + (it - tail.begin());
    }
    const qsizetype block =
        std::upper_bound(bases.begin(), bases.end(), position) - bases.begin() - 1;
    if (block < 0)
        return 0;
    // The last full block holds a break at or after position, so the search ends in a block.
    const qsizetype wanted = position - bases[size_t(block)];
    qsizetype low = 0;
    qsizetype high = blockSize;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (delta(block, middle) < wanted)
            low = middle + 1;
        else
            high = middle;
    }
    return block * blockSize + low;
}

void LineBreakIndex::append(qsizetype position) {
    tail[size_t(tailCount++)] = position;
    ++count;
    if (tailCount == blockSize)
        flush();
}

void LineBreakIndex::appendFrom(const char16_t* begin, const char16_t* end, qsizetype offset) {
    const char16_t* p = begin;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi16('\n');
    for (; end - p >= 8; p += 8) {
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
        for (; mask; mask &= mask - 1, mask &= mask - 1)
            append(offset + (p - begin) + __builtin_ctz(mask) / 2);
    }
#endif
    for (; p < end; ++p)
        if (*p == u'\n')
            append(offset + (p - begin));
}

void LineBreakIndex::appendFrom(const char* begin, const char* end, qsizetype offset) {
    const char* p = begin;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
        const qsizetype at = offset + (p - begin);
        // Sixteen empty lines at once (tailCount stays a multiple of 16 or the block is cut).
        if (mask == 0xFFFF && tailCount % 16 == 0) {
            for (qsizetype k = 0; k < 16; ++k)
                tail[size_t(tailCount + k)] = at + k;
            tailCount += 16;
            count += 16;
            if (tailCount == blockSize)
                flush();
            continue;
        }
        for (; mask; mask &= mask - 1)
            append(at + __builtin_ctz(mask));
    }
#endif
    for (; p < end; ++p)
        if (*p == '\n')
            append(offset + (p - begin));
}

void LineBreakIndex::flush() {
    const qsizetype base = tail[0];
    const qsizetype span = tail[blockSize - 1] - base;
    const int code = span <= 0xFF ? 0 : span <= 0xFFFF ? 1 : span <= 0xFFFFFFFFLL ? 2 : 3;
    const size_t start = distances.size();
    distances.resize(start + (size_t(blockSize) << code));
    uint8_t* out = distances.data() + start;
    const bool consecutive = span == blockSize - 1; // 64 empty lines
    switch (code) {
    case 0:
        if (consecutive)
            std::iota(out, out + blockSize, uint8_t(0));
        else
            writeAll<quint8>(out, tail.data(), blockSize);
        break;
    case 1:
        writeAll<quint16>(out, tail.data(), blockSize);
        break;
    case 2:
        writeAll<quint32>(out, tail.data(), blockSize);
        break;
    default:
        writeAll<qint64>(out, tail.data(), blockSize);
    }
    qsizetype longest = lastFlushed >= 0 ? base - lastFlushed - 1 : -1;
    for (qsizetype j = 1; j < blockSize && !consecutive; ++j)
        longest = std::max(longest, tail[size_t(j)] - tail[size_t(j - 1)] - 1);
    if (consecutive)
        longest = std::max<qsizetype>(longest, 0);
    bases.push_back(base);
    offsets.push_back(quint64(start) << 2 | quint64(code));
    pushLongest(longest);
    lastFlushed = tail[blockSize - 1];
    tailCount = 0;
}

void LineBreakIndex::pushLongest(qsizetype length) {
    if (levels.empty())
        levels.emplace_back();
    levels[0].push_back(length);
    for (size_t k = 0; qsizetype(levels[k].size()) > blockSize; ++k) {
        const size_t parents = (levels[k].size() + blockSize - 1) / blockSize;
        if (k + 1 == levels.size()) {
            std::vector<qsizetype> up(parents, -1);
            for (size_t i = 0; i < levels[k].size(); ++i)
                up[i / blockSize] = std::max(up[i / blockSize], levels[k][i]);
            levels.push_back(std::move(up));
            break;
        }
        std::vector<qsizetype>& up = levels[k + 1];
        if (up.size() < parents)
            up.push_back(length);
        else
            up.back() = std::max(up.back(), length);
    }
}

void LineBreakIndex::reserve(qsizetype breaks, qsizetype span) {
    const qsizetype blocks = breaks / blockSize + 1;
    const qsizetype blockSpan = span / std::max<qsizetype>(blocks, 1);
    const int code = blockSpan <= 0xFF ? 0 : blockSpan <= 0xFFFF ? 1 : 2;
    distances.reserve(size_t(blocks * blockSize) << code);
    bases.reserve(size_t(blocks));
    offsets.reserve(size_t(blocks));
    if (levels.empty())
        levels.emplace_back();
    levels[0].reserve(size_t(blocks));
}

void LineBreakIndex::squeeze() {
    // Only when much is spare: a copy of a large index costs more than the bytes it frees.
    if (distances.capacity() - distances.size() > distances.size() / 8)
        distances.shrink_to_fit();
    bases.shrink_to_fit();
    offsets.shrink_to_fit();
    for (auto& level : levels)
        level.shrink_to_fit();
}

LineBreakIndex::Line LineBreakIndex::scan(qsizetype from, qsizetype to) const {
    Line best;
    from = std::max<qsizetype>(from, 1);
    if (from >= to)
        return best;
    qsizetype previous = at(from - 1);
    for (qsizetype i = from; i < to; ++i) {
        const qsizetype here = at(i);
        if (here - previous - 1 > best.length)
            best = {here - previous - 1, i};
        previous = here;
    }
    return best;
}

std::pair<qsizetype, qsizetype> LineBreakIndex::levelMax(size_t level, qsizetype from,
                                                         qsizetype to) const {
    const std::vector<qsizetype>& values = levels[level];
    auto linear = [&values](qsizetype a, qsizetype b, std::pair<qsizetype, qsizetype> best) {
        for (qsizetype i = a; i < b; ++i)
            if (values[size_t(i)] > best.first)
                best = {values[size_t(i)], i};
        return best;
    };
    if (to - from <= 2 * blockSize || level + 1 >= levels.size())
        return linear(from, to, {-1, -1});
    const qsizetype first = (from + blockSize - 1) / blockSize;
    const qsizetype last = to / blockSize;
    auto best = linear(from, first * blockSize, {-1, -1});
    best = linear(last * blockSize, to, best);
    if (first < last) {
        const auto [value, parent] = levelMax(level + 1, first, last);
        if (value > best.first)
            best = linear(parent * blockSize, parent * blockSize + blockSize, best);
    }
    return best;
}

LineBreakIndex::Line LineBreakIndex::longestBetween(qsizetype first, qsizetype last) const {
    // The lines ending at breaks first + 1 ... last.
    const qsizetype from = first + 1;
    const qsizetype to = last + 1;
    const qsizetype fullFrom = (from + blockSize - 1) / blockSize;
    const qsizetype fullTo = std::min(to / blockSize, qsizetype(bases.size()));
    if (fullFrom >= fullTo)
        return scan(from, to);
    Line best = scan(from, fullFrom * blockSize);
    const Line after = scan(fullTo * blockSize, to);
    if (after.length > best.length)
        best = after;
    const auto [value, block] = levelMax(0, fullFrom, fullTo);
    if (value > best.length)
        best = scan(block * blockSize, block * blockSize + blockSize);
    return best;
}
