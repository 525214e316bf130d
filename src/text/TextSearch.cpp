#include "text/TextSearch.h"

#include "text/CandidateScan.h"
#include "text/TextBuffer.h"
#include "text/WordCharacter.h"

#include <QAnyStringView>
#include <QTextBoundaryFinder>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

char32_t fold(char32_t c) {
    return QChar::toCaseFolded(c);
}

// Every code point whose folding differs from itself, by its folding: the reverse of the folding,
// to know which units can stand where the wanted text has a given one.
const std::vector<std::pair<char32_t, char32_t>>& foldedFrom() {
    static const std::vector<std::pair<char32_t, char32_t>> pairs = [] {
        std::vector<std::pair<char32_t, char32_t>> out;
        for (char32_t c = 0; c <= QChar::LastValidCodePoint; ++c)
            if (fold(c) != c)
                out.emplace_back(fold(c), c);
        std::sort(out.begin(), out.end());
        return out;
    }();
    return pairs;
}

// The code points that fold as c does, c among them.
std::vector<char32_t> sameFolding(char32_t c) {
    const char32_t folded = fold(c);
    std::vector<char32_t> out{folded};
    const auto& pairs = foldedFrom();
    for (auto it =
             std::lower_bound(pairs.begin(), pairs.end(), std::pair<char32_t, char32_t>(folded, 0));
         it != pairs.end() && it->first == folded; ++it)
        out.push_back(it->second);
    return out;
}

const std::array<char16_t, 256>& latin1Folding() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> out{};
        for (char32_t c = 0; c < 256; ++c)
            out[c] = char16_t(fold(c)); // a Latin-1 letter folds within the BMP (µ to μ)
        return out;
    }();
    return table;
}

// The code point starting at units[i] (a lone surrogate stands for itself) and its length.
std::pair<char32_t, int> codePointAt(const char16_t* units, qsizetype i, qsizetype end) {
    if (QChar::isHighSurrogate(units[i]) && i + 1 < end && QChar::isLowSurrogate(units[i + 1]))
        return {QChar::surrogateToUcs4(units[i], units[i + 1]), 2};
    return {units[i], 1};
}

void appendCodePoint(QString& out, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

bool isRegionalIndicatorPair(char16_t high, char16_t low) {
    return high == 0xD83C && low >= 0xDDE6 && low <= 0xDDFF;
}

// Whether position lies between two user-perceived characters.
bool isGraphemeBoundary(const TextBuffer& text, qsizetype position) {
    if (position <= 0 || position >= text.size())
        return true;
    const char16_t before = text.at(position - 1);
    const char16_t after = text.at(position);
    // Below U+0300 nothing joins a character to the next but CR LF: the common case, quickly.
    if (before < 0x300 && after < 0x300)
        return !(before == u'\r' && after == u'\n');
    if (QChar::isHighSurrogate(before) && QChar::isLowSurrogate(after))
        return false;
    // The rules look back only a few characters, except along a run of flags (regional
    // indicators pair up from the run's start), so the run is taken whole.
    qsizetype from = std::max<qsizetype>(0, position - 32);
    if (from > 0 && QChar::isLowSurrogate(text.at(from)))
        --from;
    while (from >= 2 && isRegionalIndicatorPair(text.at(from - 2), text.at(from - 1)))
        from -= 2;
    const qsizetype to = std::min(text.size(), position + 8);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.mid(from, to - from));
    finder.setPosition(int(position - from));
    return finder.isAtBoundary();
}

char32_t codePointBefore(const TextBuffer& text, qsizetype position) {
    const char16_t low = text.at(position - 1);
    if (QChar::isLowSurrogate(low) && position >= 2 &&
        QChar::isHighSurrogate(text.at(position - 2)))
        return QChar::surrogateToUcs4(text.at(position - 2), low);
    return low;
}

char32_t codePointFrom(const TextBuffer& text, qsizetype position) {
    const char16_t high = text.at(position);
    if (QChar::isHighSurrogate(high) && position + 1 < text.size() &&
        QChar::isLowSurrogate(text.at(position + 1)))
        return QChar::surrogateToUcs4(high, text.at(position + 1));
    return high;
}

// How many positions are looked at between two calls of the progress callback.
constexpr qsizetype progressEvery = qsizetype(1) << 20;

} // namespace

struct TextSearch::Pattern {
    TextSearch::Options options;
    QString wanted; // folded when the case does not matter
    qsizetype n = 0;
    // The units that may stand first and last in a match, in full and those below U+0100.
    std::vector<char16_t> first, last;
    std::vector<char16_t> firstNarrow, lastNarrow;

    Pattern(const QString& text, TextSearch::Options chosen) : options(chosen) {
        n = text.size();
        if (n == 0)
            return;
        const auto* units = reinterpret_cast<const char16_t*>(text.constData());
        if (options.matchCase) {
            wanted = text;
            first = {units[0]};
            last = {units[n - 1]};
        } else {
            wanted.reserve(n);
            for (qsizetype i = 0; i < n;) {
                const auto [c, length] = codePointAt(units, i, n);
                appendCodePoint(wanted, fold(c));
                i += length;
            }
            first = unitsFolding(units, 0, true);
            last = unitsFolding(units, n - 1, false);
        }
        for (const char16_t u : first)
            if (u < 0x100)
                firstNarrow.push_back(u);
        for (const char16_t u : last)
            if (u < 0x100)
                lastNarrow.push_back(u);
    }

    // The units that can stand at position i of a match: of the code points folding as the
    // one there, the unit at the same place of their encoding.
    std::vector<char16_t> unitsFolding(const char16_t* units, qsizetype i, bool atStart) const {
        char32_t c = units[i];
        bool highHalf = true;
        if (atStart && QChar::isHighSurrogate(units[i]) && i + 1 < n &&
            QChar::isLowSurrogate(units[i + 1])) {
            c = QChar::surrogateToUcs4(units[i], units[i + 1]);
        } else if (!atStart && QChar::isLowSurrogate(units[i]) && i > 0 &&
                   QChar::isHighSurrogate(units[i - 1])) {
            c = QChar::surrogateToUcs4(units[i - 1], units[i]);
            highHalf = false;
        }
        std::vector<char16_t> out;
        if (QChar::isSurrogate(c)) // a lone one matches only itself
            return {char16_t(c)};
        for (const char32_t same : sameFolding(c)) {
            // Simple folding keeps a character in its plane, so lengths always agree.
            if (QChar::requiresSurrogates(same) != QChar::requiresSurrogates(c))
                continue;
            const char16_t unit = !QChar::requiresSurrogates(same) ? char16_t(same)
                                  : highHalf                       ? QChar::highSurrogate(same)
                                                                   : QChar::lowSurrogate(same);
            if (std::find(out.begin(), out.end(), unit) == out.end())
                out.push_back(unit);
        }
        return out;
    }

    // Whether the n units at units match.
    bool matches(const char16_t* units) const {
        const auto* want = reinterpret_cast<const char16_t*>(wanted.constData());
        if (options.matchCase)
            return std::memcmp(units, want, size_t(n) * 2) == 0;
        for (qsizetype i = 0; i < n;) {
            const auto [c, length] = codePointAt(units, i, n);
            const char32_t folded = fold(c);
            if (length == 2) {
                if (QChar::highSurrogate(folded) != want[i] ||
                    QChar::lowSurrogate(folded) != want[i + 1])
                    return false;
            } else if (char16_t(folded) != want[i]) {
                return false;
            }
            i += length;
        }
        return true;
    }

    bool matches(const uchar* latin1) const {
        const auto* want = reinterpret_cast<const char16_t*>(wanted.constData());
        if (options.matchCase) {
            for (qsizetype i = 0; i < n; ++i)
                if (char16_t(latin1[i]) != want[i])
                    return false;
            return true;
        }
        const auto& folding = latin1Folding();
        for (qsizetype i = 0; i < n; ++i)
            if (folding[latin1[i]] != want[i])
                return false;
        return true;
    }

    // Whether a match found at position stands as a match: on character boundaries, and
    // alone when whole words are asked for.
    bool accepts(const TextBuffer& text, qsizetype position) const {
        const qsizetype end = position + n;
        if (!isGraphemeBoundary(text, position) || !isGraphemeBoundary(text, end))
            return false;
        if (!options.wholeWord)
            return true;
        if (position > 0 && isWordCharacter(codePointBefore(text, position)))
            return false;
        return end >= text.size() || !isWordCharacter(codePointFrom(text, end));
    }
};

namespace {

// One search through one state of the text: its pieces read in place.
class Scanner {
public:
    Scanner(const TextSearch::Pattern& pattern, const TextBuffer& text,
            const TextSearch::Progress& progress)
        : p(pattern), text(text), progress(progress) {
        const std::vector<QAnyStringView> views = text.parts();
        parts.reserve(views.size());
        starts.reserve(views.size() + 1);
        qsizetype at = 0;
        for (const QAnyStringView view : views) {
            view.visit([this](auto piece) {
                parts.push_back({piece.data(), piece.size(),
                                 std::is_same_v<decltype(piece), QLatin1StringView>});
            });
            starts.push_back(at);
            at += view.size();
        }
        starts.push_back(at);
        narrowCandidates = candidates(p.firstNarrow, p.lastNarrow, p.n - 1);
        wideCandidates = candidates(p.first, p.last, p.n - 1);
    }

    bool stopped = false;

    // The first (backward: the last) accepted match starting in [from, to), or -1.
    qsizetype scan(qsizetype from, qsizetype to, bool backward) {
        to = std::min(to, text.size() - p.n + 1);
        from = std::max<qsizetype>(from, 0);
        if (p.n == 0 || from >= to)
            return -1;
        const auto pieceOf = [this](qsizetype position) {
            return size_t(std::upper_bound(starts.begin(), starts.end() - 1, position) -
                          starts.begin() - 1);
        };
        const size_t low = pieceOf(from);
        const size_t high = pieceOf(to - 1);
        for (size_t k = 0; k <= high - low; ++k) {
            const size_t i = backward ? high - k : low + k;
            const qsizetype found = scanPiece(i, from, to, backward);
            if (found >= 0 || stopped)
                return found;
        }
        return -1;
    }

private:
    qsizetype scanPiece(size_t i, qsizetype from, qsizetype to, bool backward) {
        const Part& part = parts[i];
        if (part.narrow)
            return scanUnits(static_cast<const uchar*>(part.data), i, from, to, backward);
        return scanUnits(static_cast<const char16_t*>(part.data), i, from, to, backward);
    }

    template <typename Unit>
    qsizetype scanUnits(const Unit* data, size_t i, qsizetype from, qsizetype to, bool backward) {
        constexpr bool narrow = sizeof(Unit) == 1;
        const std::vector<char16_t>& firstUnits = narrow ? p.firstNarrow : p.first;
        // No match can start in a piece without any unit that could come first.
        if (firstUnits.empty())
            return -1;
        const qsizetype base = starts[i];
        const qsizetype length = starts[i + 1] - base;
        const qsizetype lo = std::max<qsizetype>(from - base, 0);
        const qsizetype hi = std::min(to - base, length);
        // Starts below inner have the whole match inside this piece.
        const qsizetype inner = std::clamp<qsizetype>(length - p.n + 1, lo, hi);
        const auto across = [&](qsizetype a, qsizetype b) {
            return scanAcross(data, base, a, b, backward, firstUnits);
        };
        const auto within = [&](qsizetype a, qsizetype b) {
            return scanWithin(data, base, a, b, backward);
        };
        const qsizetype found = backward ? across(inner, hi) : within(lo, inner);
        if (found >= 0 || stopped)
            return found;
        return backward ? within(lo, inner) : across(inner, hi);
    }

    // Starts in [a, b) of a piece whose match runs into the pieces after it.
    template <typename Unit>
    qsizetype scanAcross(const Unit* data, qsizetype base, qsizetype a, qsizetype b, bool backward,
                         const std::vector<char16_t>& firstUnits) {
        QVarLengthArray<char16_t, 64> units(p.n);
        for (qsizetype k = 0; k < b - a; ++k) {
            const qsizetype s = backward ? b - 1 - k : a + k;
            if (std::find(firstUnits.begin(), firstUnits.end(), char16_t(data[s])) ==
                firstUnits.end())
                continue;
            copyUnits(base + s, units.data());
            if (p.matches(units.data()) && p.accepts(text, base + s))
                return base + s;
        }
        return -1;
    }

    void copyUnits(qsizetype position, char16_t* out) const {
        size_t i = size_t(std::upper_bound(starts.begin(), starts.end() - 1, position) -
                          starts.begin() - 1);
        qsizetype offset = position - starts[i];
        for (qsizetype left = p.n; left > 0; ++i, offset = 0) {
            const Part& part = parts[i];
            const qsizetype take = std::min(left, part.size - offset);
            if (part.narrow) {
                const auto* from = static_cast<const uchar*>(part.data) + offset;
                for (qsizetype k = 0; k < take; ++k)
                    *out++ = from[k];
            } else {
                std::memcpy(out, static_cast<const char16_t*>(part.data) + offset,
                            size_t(take) * 2);
                out += take;
            }
            left -= take;
        }
    }

    // Starts in [a, b) of a piece whose whole match lies inside it, in chunks between which
    // the progress callback is asked whether to go on.
    template <typename Unit>
    qsizetype scanWithin(const Unit* data, qsizetype base, qsizetype a, qsizetype b,
                         bool backward) {
        while (a < b) {
            const qsizetype chunk = std::min(b - a, progressEvery);
            const qsizetype ca = backward ? b - chunk : a;
            const qsizetype cb = ca + chunk;
            const qsizetype found = scanChunk(data, base, ca, cb, backward);
            if (found >= 0)
                return found;
            scanned += chunk;
            if (progress && !progress(scanned)) {
                stopped = true;
                return -1;
            }
            if (backward)
                b = ca;
            else
                a = cb;
        }
        return -1;
    }

    template <typename Unit> qsizetype check(const Unit* data, qsizetype base, qsizetype s) const {
        if (p.matches(data + s) && p.accepts(text, base + s))
            return base + s;
        return -1;
    }

    template <typename Unit>
    qsizetype scanChunk(const Unit* data, qsizetype base, qsizetype a, qsizetype b, bool backward) {
        const Candidates& c = sizeof(Unit) == 1 ? narrowCandidates : wideCandidates;
        if (!backward) {
            for (qsizetype s = a; (s = nextCandidate(data, s, b, c)) < b; ++s)
                if (const qsizetype found = check(data, base, s); found >= 0)
                    return found;
            return -1;
        }
        for (qsizetype s = b; (s = previousCandidate(data, a, s, c)) >= a;)
            if (const qsizetype found = check(data, base, s); found >= 0)
                return found;
        return -1;
    }

    static Candidates candidates(const std::vector<char16_t>& first,
                                 const std::vector<char16_t>& last, qsizetype distance) {
        Candidates c;
        c.distance = distance;
        const auto fill = [](const std::vector<char16_t>& units, char16_t* out, int& count) {
            count = units.size() > 4 ? -1 : int(units.size());
            for (int i = 0; i < count; ++i)
                out[i] = units[size_t(i)];
        };
        fill(first, c.first, c.firstCount);
        fill(last, c.last, c.lastCount);
        return c;
    }

    struct Part {
        const void* data;
        qsizetype size;
        bool narrow; // Latin-1, one byte a character
    };

    Candidates narrowCandidates, wideCandidates;
    const TextSearch::Pattern& p;
    const TextBuffer& text;
    const TextSearch::Progress& progress;
    std::vector<Part> parts;
    std::vector<qsizetype> starts;
    qsizetype scanned = 0;
};

} // namespace

TextSearch::TextSearch(const QString& wanted, Options options)
    : pattern(std::make_unique<Pattern>(wanted, options)) {}

TextSearch::~TextSearch() = default;
TextSearch::TextSearch(TextSearch&&) noexcept = default;
TextSearch& TextSearch::operator=(TextSearch&&) noexcept = default;

qsizetype TextSearch::length() const {
    return pattern->n;
}

bool TextSearch::matchesAt(const TextBuffer& text, qsizetype position) const {
    const qsizetype n = pattern->n;
    if (n == 0 || position < 0 || position + n > text.size())
        return false;
    const QString there = text.mid(position, n);
    return pattern->matches(reinterpret_cast<const char16_t*>(there.constData())) &&
           pattern->accepts(text, position);
}

TextSearch::Match TextSearch::find(const TextBuffer& text, qsizetype from, Direction direction,
                                   bool wrap, const Progress& progress) const {
    Scanner scanner(*pattern, text, progress);
    const bool backward = direction == Direction::Backward;
    from = std::clamp<qsizetype>(from, 0, text.size());
    Match match;
    match.length = pattern->n;
    match.position =
        backward ? scanner.scan(0, from, true) : scanner.scan(from, text.size(), false);
    if (match.position < 0 && wrap && !scanner.stopped) {
        match.position =
            backward ? scanner.scan(from, text.size(), true) : scanner.scan(0, from, false);
        match.wrapped = match.position >= 0;
    }
    match.stopped = scanner.stopped;
    return match;
}

bool TextSearch::findAll(const TextBuffer& text, const std::function<void(qsizetype)>& each,
                         const Progress& progress) const {
    // The scanner tells of stretches without a match only: where matches are close together,
    // progress is told from here, and either way it is never less than the last told.
    qsizetype from = 0;
    qsizetype told = 0;
    const auto tell = [&](qsizetype scanned) {
        told = std::max({told, scanned, from});
        return progress(told);
    };
    const Progress inner = progress ? Progress(tell) : Progress();
    Scanner scanner(*pattern, text, inner);
    for (;;) {
        const qsizetype found = scanner.scan(from, text.size(), false);
        if (found < 0)
            return !scanner.stopped;
        each(found);
        from = found + pattern->n;
        if (progress && from - told >= progressEvery && !tell(from))
            return false;
    }
}

TextSearch::Replaced TextSearch::replaceAll(const TextBuffer& text, QStringView replacement,
                                            qsizetype caret, const Progress& progress) const {
    Replaced out;
    TextBuffer::Builder built;
    const qsizetype n = pattern->n;
    qsizetype copied = 0; // the text before this is built
    qsizetype shift = 0;  // how far the caret moves, while after the matches so far
    qsizetype inside = -1;
    const bool finished = findAll(
        text,
        [&](qsizetype at) {
            built.append(text, copied, at - copied);
            built.append(replacement);
            copied = at + n;
            ++out.count;
            if (caret >= at + n)
                shift += replacement.size() - n;
            else if (caret > at)
                inside = built.size();
        },
        progress);
    if (!finished) {
        out.stopped = true;
        return out;
    }
    out.caret = inside >= 0 ? inside : caret + shift;
    if (out.count > 0) {
        built.append(text, copied, text.size() - copied);
        out.text = built.take();
    }
    return out;
}
