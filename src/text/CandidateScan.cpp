#include "text/CandidateScan.h"

#include <atomic>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define NOTAVO_X86_VECTORS 1
#endif

namespace {

template <typename Unit> bool isCandidate(const Unit* data, qsizetype s, const Candidates& c) {
    bool first = c.firstCount < 0;
    for (int i = 0; i < c.firstCount; ++i)
        first = first || char16_t(data[s]) == c.first[i];
    if (!first)
        return false;
    const char16_t at = char16_t(data[s + c.distance]);
    bool last = c.lastCount < 0;
    for (int i = 0; i < c.lastCount; ++i)
        last = last || at == c.last[i];
    return last;
}

template <typename Unit>
qsizetype nextOneByOne(const Unit* data, qsizetype s, qsizetype to, const Candidates& c) {
    for (; s < to; ++s)
        if (isCandidate(data, s, c))
            return s;
    return to;
}

template <typename Unit>
qsizetype previousOneByOne(const Unit* data, qsizetype from, qsizetype s, const Candidates& c) {
    while (--s >= from)
        if (isCandidate(data, s, c))
            return s;
    return from - 1;
}

#ifdef NOTAVO_X86_VECTORS

// One bit per byte of the vector: set at each start whose first and last unit could match (a
// 16-bit unit sets both of its bits).
template <typename Unit>
unsigned maskSse2(const Unit* at, qsizetype distance, const __m128i* first, int firstCount,
                  const __m128i* last, int lastCount) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + distance));
    __m128i h = firstCount < 0 ? _mm_set1_epi8(-1) : _mm_setzero_si128();
    __m128i t = lastCount < 0 ? _mm_set1_epi8(-1) : _mm_setzero_si128();
    for (int i = 0; i < firstCount; ++i)
        h = _mm_or_si128(h, sizeof(Unit) == 1 ? _mm_cmpeq_epi8(head, first[i])
                                              : _mm_cmpeq_epi16(head, first[i]));
    for (int i = 0; i < lastCount; ++i)
        t = _mm_or_si128(t, sizeof(Unit) == 1 ? _mm_cmpeq_epi8(tail, last[i])
                                              : _mm_cmpeq_epi16(tail, last[i]));
    return unsigned(_mm_movemask_epi8(_mm_and_si128(h, t)));
}

template <typename Unit> void broadcastSse2(const char16_t* units, int count, __m128i* out) {
    for (int i = 0; i < count; ++i)
        out[i] =
            sizeof(Unit) == 1 ? _mm_set1_epi8(char(units[i])) : _mm_set1_epi16(short(units[i]));
}

template <typename Unit>
qsizetype nextSse2(const Unit* data, qsizetype s, qsizetype to, const Candidates& c) {
    constexpr qsizetype width = 16 / sizeof(Unit);
    __m128i first[4], last[4];
    broadcastSse2<Unit>(c.first, c.firstCount, first);
    broadcastSse2<Unit>(c.last, c.lastCount, last);
    for (; s + width <= to; s += width)
        if (const unsigned mask =
                maskSse2(data + s, c.distance, first, c.firstCount, last, c.lastCount))
            return s + qsizetype(__builtin_ctz(mask) / sizeof(Unit));
    return nextOneByOne(data, s, to, c);
}

template <typename Unit>
qsizetype previousSse2(const Unit* data, qsizetype from, qsizetype s, const Candidates& c) {
    constexpr qsizetype width = 16 / sizeof(Unit);
    __m128i first[4], last[4];
    broadcastSse2<Unit>(c.first, c.firstCount, first);
    broadcastSse2<Unit>(c.last, c.lastCount, last);
    for (; s - width >= from; s -= width)
        if (const unsigned mask =
                maskSse2(data + s - width, c.distance, first, c.firstCount, last, c.lastCount))
            return s - width + qsizetype((31 - __builtin_clz(mask)) / sizeof(Unit));
    return previousOneByOne(data, from, s, c);
}

// The same 32 bytes at a time, two vectors per round.
template <typename Unit>
__attribute__((target("avx2"))) unsigned maskAvx2(const Unit* at, qsizetype distance,
                                                  const __m256i* first, int firstCount,
                                                  const __m256i* last, int lastCount) {
    const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + distance));
    __m256i h = firstCount < 0 ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
    __m256i t = lastCount < 0 ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
    for (int i = 0; i < firstCount; ++i)
        h = _mm256_or_si256(h, sizeof(Unit) == 1 ? _mm256_cmpeq_epi8(head, first[i])
                                                 : _mm256_cmpeq_epi16(head, first[i]));
    for (int i = 0; i < lastCount; ++i)
        t = _mm256_or_si256(t, sizeof(Unit) == 1 ? _mm256_cmpeq_epi8(tail, last[i])
                                                 : _mm256_cmpeq_epi16(tail, last[i]));
    return unsigned(_mm256_movemask_epi8(_mm256_and_si256(h, t)));
}

template <typename Unit>
__attribute__((target("avx2"))) void broadcastAvx2(const char16_t* units, int count, __m256i* out) {
    for (int i = 0; i < count; ++i)
        out[i] = sizeof(Unit) == 1 ? _mm256_set1_epi8(char(units[i]))
                                   : _mm256_set1_epi16(short(units[i]));
}

template <typename Unit>
__attribute__((target("avx2"))) qsizetype nextAvx2(const Unit* data, qsizetype s, qsizetype to,
                                                   const Candidates& c) {
    constexpr qsizetype width = 32 / sizeof(Unit);
    __m256i first[4], last[4];
    broadcastAvx2<Unit>(c.first, c.firstCount, first);
    broadcastAvx2<Unit>(c.last, c.lastCount, last);
    for (; s + 2 * width <= to; s += 2 * width) {
        const unsigned low = maskAvx2(data + s, c.distance, first, c.firstCount, last, c.lastCount);
        const unsigned high =
            maskAvx2(data + s + width, c.distance, first, c.firstCount, last, c.lastCount);
        if (low | high) {
            const qsizetype at = low ? __builtin_ctz(low) : 32 + __builtin_ctz(high);
            return s + at / qsizetype(sizeof(Unit));
        }
    }
    return nextSse2(data, s, to, c);
}

template <typename Unit>
__attribute__((target("avx2"))) qsizetype previousAvx2(const Unit* data, qsizetype from,
                                                       qsizetype s, const Candidates& c) {
    constexpr qsizetype width = 32 / sizeof(Unit);
    __m256i first[4], last[4];
    broadcastAvx2<Unit>(c.first, c.firstCount, first);
    broadcastAvx2<Unit>(c.last, c.lastCount, last);
    for (; s - 2 * width >= from; s -= 2 * width) {
        const unsigned high =
            maskAvx2(data + s - width, c.distance, first, c.firstCount, last, c.lastCount);
        const unsigned low =
            maskAvx2(data + s - 2 * width, c.distance, first, c.firstCount, last, c.lastCount);
        if (low | high) {
            const qsizetype at = high ? 32 + 31 - __builtin_clz(high) : 31 - __builtin_clz(low);
            return s - 2 * width + at / qsizetype(sizeof(Unit));
        }
    }
    return previousSse2(data, from, s, c);
}

std::atomic<bool> sse2Forced{false};

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && !sse2Forced.load(std::memory_order_relaxed);
}

template <typename Unit>
qsizetype next(const Unit* data, qsizetype from, qsizetype to, const Candidates& c) {
    return hasAvx2() ? nextAvx2(data, from, to, c) : nextSse2(data, from, to, c);
}

template <typename Unit>
qsizetype previous(const Unit* data, qsizetype from, qsizetype to, const Candidates& c) {
    return hasAvx2() ? previousAvx2(data, from, to, c) : previousSse2(data, from, to, c);
}

#else

template <typename Unit>
qsizetype next(const Unit* data, qsizetype from, qsizetype to, const Candidates& c) {
    return nextOneByOne(data, from, to, c);
}

template <typename Unit>
qsizetype previous(const Unit* data, qsizetype from, qsizetype to, const Candidates& c) {
    return previousOneByOne(data, from, to, c);
}

#endif

} // namespace

void forceSse2Scan(bool forced) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    sse2Forced = forced;
#else
    Q_UNUSED(forced);
#endif
}

qsizetype nextCandidate(const uchar* data, qsizetype from, qsizetype to, const Candidates& c) {
    return next(data, from, to, c);
}

qsizetype nextCandidate(const char16_t* data, qsizetype from, qsizetype to, const Candidates& c) {
    return next(data, from, to, c);
}

qsizetype previousCandidate(const uchar* data, qsizetype from, qsizetype to, const Candidates& c) {
    return previous(data, from, to, c);
}

qsizetype previousCandidate(const char16_t* data, qsizetype from, qsizetype to,
                            const Candidates& c) {
    return previous(data, from, to, c);
}
