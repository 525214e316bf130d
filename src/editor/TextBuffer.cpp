#include "editor/TextBuffer.h"

#include "platform/HugePages.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Positions of '\n' in [begin, end), appended to out with offset added to each.
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

// The same for Latin-1 text.
void findBreaks(const char* begin, const char* end, std::vector<qsizetype>& out) {
    for (const char* p = begin;
         (p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))); ++p)
        out.push_back(p - begin);
}

const char16_t* unitsOf(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.constData());
}

// Whether every character is below U+0100.
bool fitsLatin1(const char16_t* p, const char16_t* end) {
#ifdef __SSE2__
    const __m128i high = _mm_set1_epi16(short(0xFF00));
    __m128i any = _mm_setzero_si128();
    for (; end - p >= 8; p += 8)
        any = _mm_or_si128(
            any, _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), high));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF)
        return false;
#endif
    for (; p < end; ++p)
        if (*p > 0xFF)
            return false;
    return true;
}

void narrowTo(const char16_t* p, const char16_t* end, char* out) {
#ifdef __SSE2__
    for (; end - p >= 16; p += 16, out += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
    }
#endif
    for (; p < end; ++p)
        *out++ = char(*p);
}

void widenTo(const char* p, const char* end, char16_t* out) {
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16, out += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; p < end; ++p)
        *out++ = char16_t(uchar(*p));
}

// Below this a document is small enough that halving it is not worth a second copy.
constexpr qsizetype narrowFrom = 64 * 1024;

} // namespace

void TextBuffer::Source::copy(qsizetype from, qsizetype n, char16_t* out) const {
    if (isNarrow)
        widenTo(narrow.constData() + from, narrow.constData() + from + n, out);
    else
        std::memcpy(out, unitsOf(text) + from, size_t(n) * 2);
}

TextBuffer::TextBuffer(QString text) {
    const char16_t* data = unitsOf(text);
    const qsizetype size = text.size();
    if (size >= narrowFrom && fitsLatin1(data, data + size)) {
        QByteArray narrow(size, Qt::Uninitialized);
        adviseHugePages(narrow.data(), size_t(size));
        narrowTo(data, data + size, narrow.data());
        text = QString(); // the wide copy goes back to the system now
        *this = TextBuffer(std::move(narrow));
        return;
    }
    total = size;
    original.breaks.reserve(size_t(total / 48));
    original.text = std::move(text);
    findBreaks(data, data + total, 0, original.breaks);
    index();
}

TextBuffer::TextBuffer(QByteArray latin1) {
    total = latin1.size();
    original.breaks.reserve(size_t(total / 48));
    original.narrow = std::move(latin1);
    original.isNarrow = true;
    findBreaks(original.narrow.constData(), original.narrow.constData() + total, original.breaks);
    index();
}

void TextBuffer::index() {
    original.breaks.shrink_to_fit();
    breakCount = qsizetype(original.breaks.size());
    if (total > 0)
        pieces.push_back({false, 0, total, breakCount});
    qsizetype previous = -1;
    for (const qsizetype at : original.breaks) {
        longest = std::max(longest, at - previous - 1);
        previous = at;
    }
    longest = std::max(longest, total - previous - 1);
    recount();
}

void TextBuffer::recount() {
    startOf.resize(pieces.size() + 1);
    breaksBefore.resize(pieces.size() + 1);
    qsizetype at = 0;
    qsizetype lines = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        startOf[i] = at;
        breaksBefore[i] = lines;
        at += pieces[i].length;
        lines += pieces[i].breaks;
    }
    startOf.back() = at;
    breaksBefore.back() = lines;
    total = at;
    breakCount = lines;
}

qsizetype TextBuffer::breaksBetween(const Source& source, qsizetype from, qsizetype to) const {
    const auto first = std::lower_bound(source.breaks.begin(), source.breaks.end(), from);
    return std::lower_bound(first, source.breaks.end(), to) - first;
}

size_t TextBuffer::pieceAt(qsizetype position) const {
    const auto end = startOf.begin() + qsizetype(pieces.size());
    return size_t(std::upper_bound(startOf.begin(), end, position) - startOf.begin() - 1);
}

qsizetype TextBuffer::lineStart(qsizetype line) const {
    if (line <= 0)
        return 0;
    if (line > breakCount)
        return total;
    // The piece holding break number line - 1 (counting from 0).
    const qsizetype wanted = line - 1;
    const auto end = breaksBefore.begin() + qsizetype(pieces.size());
    const size_t i =
        size_t(std::upper_bound(breaksBefore.begin(), end, wanted) - breaksBefore.begin() - 1);
    const Piece& piece = pieces[i];
    const Source& source = sourceOf(piece);
    const auto first = std::lower_bound(source.breaks.begin(), source.breaks.end(), piece.start);
    const qsizetype at = first[wanted - breaksBefore[i]];
    return startOf[i] + (at - piece.start) + 1;
}

qsizetype TextBuffer::lineEnd(qsizetype line) const {
    return line >= breakCount ? total : lineStart(line + 1) - 1;
}

qsizetype TextBuffer::lineOf(qsizetype position) const {
    if (position >= total)
        return breakCount;
    if (position <= 0)
        return 0;
    const size_t i = pieceAt(position);
    const Piece& piece = pieces[i];
    return breaksBefore[i] +
           breaksBetween(sourceOf(piece), piece.start, piece.start + position - startOf[i]);
}

char16_t TextBuffer::at(qsizetype position) const {
    const size_t i = pieceAt(position);
    const Piece& piece = pieces[i];
    return sourceOf(piece).at(piece.start + position - startOf[i]);
}

QString TextBuffer::mid(qsizetype position, qsizetype length) const {
    position = std::clamp<qsizetype>(position, 0, total);
    length = std::clamp<qsizetype>(length, 0, total - position);
    if (length == 0)
        return QString();
    size_t i = pieceAt(position);
    qsizetype offset = position - startOf[i];
    QString out(length, Qt::Uninitialized);
    adviseHugePages(out.data(), size_t(length) * 2);
    auto* to = reinterpret_cast<char16_t*>(out.data());
    qsizetype left = length;
    for (; left > 0; ++i, offset = 0) {
        const Piece& piece = pieces[i];
        const qsizetype n = std::min(left, piece.length - offset);
        sourceOf(piece).copy(piece.start + offset, n, to);
        to += n;
        left -= n;
    }
    return out;
}

std::vector<QAnyStringView> TextBuffer::parts() const {
    std::vector<QAnyStringView> out;
    out.reserve(pieces.size());
    for (const Piece& piece : pieces) {
        const Source& source = sourceOf(piece);
        if (source.isNarrow)
            out.emplace_back(
                QLatin1StringView(source.narrow.constData() + piece.start, piece.length));
        else
            out.emplace_back(QStringView(unitsOf(source.text) + piece.start, piece.length));
    }
    return out;
}

size_t TextBuffer::split(qsizetype position) {
    if (position >= total)
        return pieces.size();
    const size_t i = pieceAt(position);
    const qsizetype offset = position - startOf[i];
    if (offset == 0)
        return i;
    Piece& left = pieces[i];
    Piece right{left.added, left.start + offset, left.length - offset, 0};
    right.breaks = breaksBetween(sourceOf(left), right.start, right.start + right.length);
    left.length = offset;
    left.breaks -= right.breaks;
    const qsizetype breaksAtSplit = breaksBefore[i] + left.breaks;
    // Inserting may move the pieces: left is not to be used after this.
    pieces.insert(pieces.begin() + qsizetype(i) + 1, right);
    startOf.insert(startOf.begin() + qsizetype(i) + 1, position);
    breaksBefore.insert(breaksBefore.begin() + qsizetype(i) + 1, breaksAtSplit);
    return i + 1;
}

void TextBuffer::insert(qsizetype position, QStringView text) {
    if (text.isEmpty())
        return;
    position = std::clamp<qsizetype>(position, 0, total);
    const qsizetype start = added.text.size();
    const size_t breaksFrom = added.breaks.size();
    added.text.append(text);
    findBreaks(text.utf16(), text.utf16() + text.size(), start, added.breaks);
    const qsizetype newBreaks = qsizetype(added.breaks.size() - breaksFrom);
    const size_t at = split(position);
    // Typing: the piece just before is the text typed last, so it simply grows.
    if (at > 0 && pieces[at - 1].added && pieces[at - 1].start + pieces[at - 1].length == start) {
        pieces[at - 1].length += text.size();
        pieces[at - 1].breaks += newBreaks;
    } else {
        pieces.insert(pieces.begin() + qsizetype(at), Piece{true, start, text.size(), newBreaks});
    }
    recount();
    // The lines the insertion touched may now be the longest.
    const qsizetype first = lineOf(position);
    longest = std::max({longest, lineLength(first), lineLength(first + newBreaks)});
    for (size_t i = breaksFrom + 1; i < added.breaks.size(); ++i)
        longest = std::max(longest, added.breaks[i] - added.breaks[i - 1] - 1);
}

void TextBuffer::remove(qsizetype position, qsizetype length) {
    position = std::clamp<qsizetype>(position, 0, total);
    length = std::clamp<qsizetype>(length, 0, total - position);
    if (length == 0)
        return;
    const size_t from = split(position);
    const size_t to = split(position + length);
    pieces.erase(pieces.begin() + qsizetype(from), pieces.begin() + qsizetype(to));
    recount();
    longest = std::max(longest, lineLength(lineOf(position)));
}
