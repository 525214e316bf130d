#include "text/TextBuffer.h"

#include "basics/HugePages.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

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

// How many '\n' there are, to size the line index in one allocation.
qsizetype countBreaks(const char* p, const char* end) {
    qsizetype n = 0;
#ifdef __SSE2__
    // Byte counters in sixteen lanes, summed before they can overflow.
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i counts = _mm_setzero_si128();
        for (int i = 0; i < 255 && end - p >= 16; ++i, p += 16)
            counts = _mm_sub_epi8(
                counts, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        n += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
#endif
    for (; p < end; ++p)
        n += *p == '\n';
    return n;
}

qsizetype countBreaks(const char16_t* p, const char16_t* end) {
    qsizetype n = 0;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi16('\n');
    while (end - p >= 8) {
        __m128i counts = _mm_setzero_si128();
        for (int i = 0; i < 32767 && end - p >= 8; ++i, p += 8)
            counts = _mm_sub_epi16(
                counts, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
        alignas(16) quint16 lanes[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), counts);
        for (const quint16 lane : lanes)
            n += lane;
    }
#endif
    for (; p < end; ++p)
        n += *p == u'\n';
    return n;
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
    auto original = std::make_shared<Source>();
    original->breaks.reserve(countBreaks(data, data + size), size);
    original->breaks.appendFrom(data, data + size, 0);
    original->text = std::move(text);
    index(std::move(original));
}

TextBuffer::TextBuffer(QByteArray latin1) {
    auto original = std::make_shared<Source>();
    const char* data = latin1.constData();
    const qsizetype size = latin1.size();
    original->breaks.reserve(countBreaks(data, data + size), size);
    original->breaks.appendFrom(data, data + size, 0);
    original->narrow = std::move(latin1);
    original->isNarrow = true;
    index(std::move(original));
}

TextBuffer::TextBuffer(const TextBuffer& other)
    : sources(other.sources), pieces(other.pieces), startOf(other.startOf),
      breaksBefore(other.breaksBefore), total(other.total), breakCount(other.breakCount),
      longest(other.longest), longestStart(other.longestStart) {
    // Both now share every source: neither may append to one again.
    other.appendTo = -1;
}

TextBuffer& TextBuffer::operator=(const TextBuffer& other) {
    if (this != &other)
        *this = TextBuffer(other);
    return *this;
}

void TextBuffer::index(std::shared_ptr<Source> original) {
    original->breaks.squeeze();
    const qsizetype size = original->isNarrow ? original->narrow.size() : original->text.size();
    sources.push_back(std::move(original));
    if (size > 0)
        pieces.push_back(describe(0, 0, size));
    recount();
}

TextBuffer::Piece TextBuffer::describe(size_t source, qsizetype start, qsizetype length) const {
    Piece piece{source, start, length};
    const LineBreakIndex& breaks = sources[source]->breaks;
    const qsizetype first = breaks.lowerBound(start);
    const qsizetype end = breaks.lowerBound(start + length);
    piece.breaks = end - first;
    piece.head = piece.tail = length;
    if (piece.breaks > 0) {
        piece.head = breaks.at(first) - start;
        piece.tail = start + length - breaks.at(end - 1) - 1;
        const LineBreakIndex::Line inner = breaks.longestBetween(first, end - 1);
        piece.inner = inner.length;
        if (inner.length >= 0)
            piece.innerStart = breaks.at(inner.end - 1) + 1 - start;
    }
    return piece;
}

void TextBuffer::recount() {
    startOf.resize(pieces.size() + 1);
    breaksBefore.resize(pieces.size() + 1);
    qsizetype at = 0;
    qsizetype lines = 0;
    // The line running through the pieces so far: where it starts and how long it is yet.
    qsizetype current = 0;
    qsizetype currentStart = 0;
    longest = 0;
    longestStart = 0;
    auto consider = [this](qsizetype length, qsizetype start) {
        if (length > longest) {
            longest = length;
            longestStart = start;
        }
    };
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        startOf[i] = at;
        breaksBefore[i] = lines;
        if (piece.breaks == 0) {
            current += piece.length;
        } else {
            consider(current + piece.head, currentStart);
            consider(piece.inner, at + piece.innerStart);
            current = piece.tail;
            currentStart = at + piece.length - piece.tail;
        }
        at += piece.length;
        lines += piece.breaks;
    }
    consider(current, currentStart);
    startOf.back() = at;
    breaksBefore.back() = lines;
    total = at;
    breakCount = lines;
}

qsizetype TextBuffer::breaksBetween(const Source& source, qsizetype from, qsizetype to) const {
    return source.breaks.lowerBound(to) - source.breaks.lowerBound(from);
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
    const LineBreakIndex& breaks = sourceOf(piece).breaks;
    const qsizetype at = breaks.at(breaks.lowerBound(piece.start) + wanted - breaksBefore[i]);
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
    const Piece whole = pieces[i];
    pieces[i] = describe(whole.source, whole.start, offset);
    pieces.insert(pieces.begin() + qsizetype(i) + 1,
                  describe(whole.source, whole.start + offset, whole.length - offset));
    startOf.insert(startOf.begin() + qsizetype(i) + 1, position);
    breaksBefore.insert(breaksBefore.begin() + qsizetype(i) + 1,
                        breaksBefore[i] + pieces[i].breaks);
    return i + 1;
}

TextBuffer::Source& TextBuffer::appendable() {
    if (appendTo < 0 || appendTo >= qsizetype(sources.size())) {
        sources.push_back(std::make_shared<Source>());
        appendTo = qsizetype(sources.size()) - 1;
    }
    return *sources[size_t(appendTo)];
}

void TextBuffer::insert(qsizetype position, QStringView text) {
    if (text.isEmpty())
        return;
    position = std::clamp<qsizetype>(position, 0, total);
    Source& target = appendable();
    const auto source = size_t(appendTo);
    const qsizetype start = target.text.size();
    target.text.append(text);
    target.breaks.appendFrom(text.utf16(), text.utf16() + text.size(), start);
    const size_t at = split(position);
    // Typing: the piece just before is the text typed last, so it simply grows.
    if (at > 0 && pieces[at - 1].source == source &&
        pieces[at - 1].start + pieces[at - 1].length == start) {
        const Piece& before = pieces[at - 1];
        pieces[at - 1] = describe(source, before.start, before.length + text.size());
    } else {
        pieces.insert(pieces.begin() + qsizetype(at), describe(source, start, text.size()));
    }
    recount();
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
}

TextBuffer::Source& TextBuffer::Builder::room(bool wide) {
    if (!done.empty()) {
        Source& last = *done.back();
        const qsizetype size = last.isNarrow ? last.narrow.size() : last.text.size();
        if (size == 0) {
            last.isNarrow = !wide;
            return last;
        }
        if (size < chunk && (!wide || !last.isNarrow))
            return last;
    }
    done.push_back(std::make_shared<Source>());
    done.back()->isNarrow = !wide;
    return *done.back();
}

template <typename Unit> void TextBuffer::Builder::put(const Unit* units, qsizetype n) {
    constexpr bool latin1 = sizeof(Unit) == 1;
    while (n > 0) {
        Source* target = &room(false);
        qsizetype size = target->isNarrow ? target->narrow.size() : target->text.size();
        qsizetype take = std::min(n, chunk - size);
        if constexpr (!latin1) {
            // Text beyond Latin-1 starts a wide source, which takes everything until it is full.
            if (target->isNarrow && !fitsLatin1(units, units + take)) {
                target = &room(true);
                size = target->text.size();
                take = std::min(n, chunk - size);
            }
        }
        if (target->isNarrow) {
            target->narrow.resize(size + take);
            char* out = target->narrow.data() + size;
            if constexpr (latin1)
                std::memcpy(out, units, size_t(take));
            else
                narrowTo(units, units + take, out);
            target->breaks.appendFrom(out, out + take, size);
        } else {
            target->text.resize(size + take);
            auto* out = reinterpret_cast<char16_t*>(target->text.data()) + size;
            if constexpr (latin1)
                widenTo(units, units + take, out);
            else
                std::memcpy(out, units, size_t(take) * 2);
            target->breaks.appendFrom(out, out + take, size);
        }
        units += take;
        n -= take;
        built += take;
    }
}

void TextBuffer::Builder::append(const TextBuffer& from, qsizetype position, qsizetype length) {
    position = std::clamp<qsizetype>(position, 0, from.total);
    length = std::clamp<qsizetype>(length, 0, from.total - position);
    if (length == 0)
        return;
    size_t i = from.pieceAt(position);
    for (qsizetype offset = position - from.startOf[i]; length > 0; ++i, offset = 0) {
        const Piece& piece = from.pieces[i];
        const Source& source = from.sourceOf(piece);
        const qsizetype n = std::min(length, piece.length - offset);
        if (source.isNarrow)
            put(source.narrow.constData() + piece.start + offset, n);
        else
            put(unitsOf(source.text) + piece.start + offset, n);
        length -= n;
    }
}

void TextBuffer::Builder::append(QStringView text) {
    put(reinterpret_cast<const char16_t*>(text.utf16()), text.size());
}

void TextBuffer::Builder::append(QLatin1StringView text) {
    put(text.data(), text.size());
}

TextBuffer TextBuffer::Builder::take() {
    TextBuffer out;
    for (std::shared_ptr<Source>& source : done) {
        const qsizetype size = source->isNarrow ? source->narrow.size() : source->text.size();
        if (size == 0)
            continue;
        source->narrow.squeeze();
        source->text.squeeze();
        source->breaks.squeeze();
        out.sources.push_back(std::move(source));
        out.pieces.push_back(out.describe(out.sources.size() - 1, 0, size));
    }
    done.clear();
    built = 0;
    out.recount();
    return out;
}
