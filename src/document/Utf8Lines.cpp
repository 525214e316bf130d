#include "document/Utf8Lines.h"

#include "basics/HugePages.h"
#include "document/LineBreakStyles.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Both directions copy runs of plain ASCII sixteen (or eight) characters at a time and only
// look closely at line breaks and multi-byte characters, so a typical document goes through at
// close to memory speed.

namespace {

constexpr char32_t paragraphSeparator = 0x2029;
constexpr char32_t frameStart = 0xFDD0;
constexpr char32_t frameEnd = 0xFDD1;

// Length of the run of ASCII bytes other than CR and LF at p (at most end - p).
inline qsizetype plainAsciiRun(const unsigned char* p, const unsigned char* end, char16_t* out) {
    const unsigned char* const start = p;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int special =
            _mm_movemask_epi8(v) |
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (special) {
            const int n = __builtin_ctz(unsigned(special));
            for (int i = 0; i < n; ++i)
                out[i] = p[i];
            return p - start + n;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
        p += 16;
        out += 16;
    }
#endif
    while (p < end && *p < 0x80 && *p != '\r' && *p != '\n')
        *out++ = *p++;
    return p - start;
}

// Length of the run of ASCII characters other than '\n' at p, written to out as bytes.
inline qsizetype plainAsciiRun(const char16_t* p, const char16_t* end, char* out) {
    const char16_t* const start = p;
#ifdef __SSE2__
    const __m128i notAscii = _mm_set1_epi16(short(0xFF80));
    const __m128i lf = _mm_set1_epi16('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int plain = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, notAscii), zero)) &
                          ~_mm_movemask_epi8(_mm_cmpeq_epi16(v, lf));
        if (plain != 0xFFFF) {
            const int n = __builtin_ctz(unsigned(~plain)) / 2;
            for (int i = 0; i < n; ++i)
                out[i] = char(p[i]);
            return p - start + n;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v, v));
        p += 8;
        out += 8;
    }
#endif
    while (p < end && *p < 0x80 && *p != u'\n')
        *out++ = char(*p++);
    return p - start;
}

// Length of the run of ASCII bytes other than '\n' (and CR when stopAtCr) at p, copied to out.
inline qsizetype plainLatin1Run(const char* p, const char* end, char* out, bool stopAtCr = false) {
    const char* const start = p;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = stopAtCr ? _mm_set1_epi8('\r') : lf;
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int special =
            _mm_movemask_epi8(v) |
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        const int n = special ? __builtin_ctz(unsigned(special)) : 16;
        std::memcpy(out, p, size_t(n));
        if (special)
            return p - start + n;
        p += 16;
        out += 16;
    }
#endif
    while (p < end && uchar(*p) < 0x80 && *p != '\n' && !(stopAtCr && *p == '\r'))
        *out++ = *p++;
    return p - start;
}

// Documents of many empty lines spend their time here: the length of the run of line breaks of
// one kind (CR LF pairs or single LFs) at p, sixteen bytes at a time.
inline qsizetype breakRun(const unsigned char* p, const unsigned char* end, bool pairs) {
    const unsigned char* q = p;
    // Most breaks end a line of text: no run to look for.
    const qsizetype step = pairs ? 2 : 1;
    if (end - p < 2 * step || p[step] != p[0])
        return 1;
#ifdef __SSE2__
    const __m128i pattern = pairs ? _mm_set1_epi16(0x0A0D) : _mm_set1_epi8('\n');
    while (end - q >= 16 &&
           _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)),
                                            pattern)) == 0xFFFF)
        q += 16;
#endif
    if (pairs)
        while (end - q >= 2 && q[0] == '\r' && q[1] == '\n')
            q += 2;
    else
        while (q < end && *q == '\n')
            ++q;
    return (q - p) / (pairs ? 2 : 1);
}

// The length of the strict UTF-8 sequence of two to four bytes at p, or 0 when there is none.
inline int validSequence(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = *p;
    int length;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

Utf8Census countUtf8(QByteArrayView bytes, qsizetype enough) {
    Utf8Census census;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end && census.valid + census.invalid < enough) {
#ifdef __SSE2__
        while (end - p >= 16 &&
               !_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))))
            p += 16;
#endif
        while (p < end && *p < 0x80)
            ++p;
        if (p == end)
            break;
        const int length = validSequence(p, end);
        if (length) {
            ++census.valid;
            p += length;
        } else {
            ++census.invalid;
            ++p;
        }
    }
    return census;
}

bool decodeUtf8Lines(QByteArrayView bytes, QString& text, LineBreakRecorder& breaks,
                     bool markInvalid) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    // Never more UTF-16 units than bytes; the uninitialised rest is cut off at the end.
    text.resize(bytes.size());
    adviseHugePages(text.data(), size_t(text.size()) * 2);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    while (p < end) {
        const qsizetype run = plainAsciiRun(p, end, out);
        p += run;
        out += run;
        if (p == end)
            break;
        const unsigned char lead = *p;
        if (lead == '\n' || lead == '\r') {
            const bool pairs = lead == '\r' && p + 1 < end && p[1] == '\n';
            const qsizetype n = lead == '\r' && !pairs ? 1 : breakRun(p, end, pairs);
            breaks.add(lead == '\n' ? BreakStyle::Lf
                       : pairs      ? BreakStyle::CrLf
                                    : BreakStyle::Cr,
                       n);
            std::fill_n(out, n, u'\n');
            out += n;
            p += pairs ? 2 * n : n;
            continue;
        }
        const int length = validSequence(p, end);
        if (length == 0) {
            if (!markInvalid)
                return false;
            *out++ = char16_t(0xDC00 + lead);
            ++p;
            continue;
        }
        char32_t cp = lead & (0x7F >> length);
        for (int i = 1; i < length; ++i)
            cp = (cp << 6) | (p[i] & 0x3F);
        p += length;
        if (cp >= 0x10000) {
            *out++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            continue;
        }
        if (cp == paragraphSeparator || cp == frameStart || cp == frameEnd) {
            breaks.add(cp == paragraphSeparator ? BreakStyle::ParagraphSeparator
                       : cp == frameStart       ? BreakStyle::FrameStart
                                                : BreakStyle::FrameEnd);
            *out++ = u'\n';
            continue;
        }
        *out++ = char16_t(cp);
    }
    const qsizetype size = out - begin;
    text.truncate(size);
    // Multi-byte text leaves much of the buffer unused: give it back.
    if (text.capacity() - size > size / 8)
        text.squeeze();
    return true;
}

bool decodeUtf8Latin1Lines(QByteArrayView bytes, QByteArray& text, LineBreakRecorder& breaks) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    // Never more characters than bytes; the uninitialised rest is cut off at the end.
    text.resize(bytes.size());
    adviseHugePages(text.data(), size_t(text.size()));
    char* const begin = text.data();
    char* out = begin;
    while (p < end) {
        const qsizetype run = plainLatin1Run(p, end, out, true);
        p += run;
        out += run;
        if (p == end)
            break;
        const auto lead = uchar(*p);
        if (lead == '\n' || lead == '\r') {
            const bool pairs = lead == '\r' && p + 1 < end && p[1] == '\n';
            const auto* at = reinterpret_cast<const unsigned char*>(p);
            const qsizetype n =
                lead == '\r' && !pairs
                    ? 1
                    : breakRun(at, reinterpret_cast<const unsigned char*>(end), pairs);
            breaks.add(lead == '\n' ? BreakStyle::Lf
                       : pairs      ? BreakStyle::CrLf
                                    : BreakStyle::Cr,
                       n);
            std::memset(out, '\n', size_t(n));
            out += n;
            p += pairs ? 2 * n : n;
        } else if ((lead == 0xC2 || lead == 0xC3) && end - p >= 2 && (uchar(p[1]) & 0xC0) == 0x80) {
            *out++ = char(((lead & 0x1F) << 6) | (uchar(p[1]) & 0x3F));
            p += 2;
        } else {
            return false;
        }
    }
    text.truncate(out - begin);
    return true;
}

void encodeUtf8Lines(QStringView text, LineBreakPlayer& breaks, QByteArray& out, bool last) {
    const qsizetype start = out.size();
    // At most three bytes per UTF-16 unit (a break included), plus the final break; the
    // untouched rest of the buffer is cut off at the end.
    out.resize(start + 3 * text.size() + 3);
    adviseHugePages(out.data() + start, size_t(out.size() - start));
    char* const begin = out.data();
    char* o = begin + start;
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    auto put = [&o](const QByteArray& brk) {
        std::memcpy(o, brk.constData(), size_t(brk.size()));
        o += brk.size();
    };
    while (p < end) {
        const qsizetype run = plainAsciiRun(p, end, o);
        p += run;
        o += run;
        if (p == end)
            break;
        const char16_t c = *p++;
        if (c == u'\n') {
            put(breaks.next());
        } else if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
                const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (*p++ - 0xDC00);
                *o++ = char(0xF0 | (cp >> 18));
                *o++ = char(0x80 | ((cp >> 12) & 0x3F));
                *o++ = char(0x80 | ((cp >> 6) & 0x3F));
                *o++ = char(0x80 | (cp & 0x3F));
            } else {
                // A byte mark goes back to its byte; any other lone half cannot be written.
                *o++ = c <= 0xDCFF && c >= 0xDC00 ? char(c & 0xFF) : '?';
            }
        } else {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    if (last)
        put(breaks.final());
    out.truncate(o - begin);
}

void encodeLatin1Lines(QLatin1StringView text, LineBreakPlayer& breaks, QByteArray& out) {
    const qsizetype start = out.size();
    // At most two bytes per character or three per break.
    out.resize(start + 3 * text.size());
    adviseHugePages(out.data() + start, size_t(out.size() - start));
    char* const begin = out.data();
    char* o = begin + start;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const qsizetype run = plainLatin1Run(p, end, o);
        p += run;
        o += run;
        if (p == end)
            break;
        const uchar c = uchar(*p++);
        if (c == '\n') {
            const QByteArray& brk = breaks.next();
            std::memcpy(o, brk.constData(), size_t(brk.size()));
            o += brk.size();
        } else {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    out.truncate(o - begin);
}
