#include "document/DocumentFormat.h"

#include "basics/HugePages.h"
#include "document/CodePage.h"
#include "document/EncodingDetection.h"
#include "document/LineBreakStyles.h"
#include "document/Utf16Lines.h"
#include "document/Utf8Lines.h"
#include "document/Windows1252.h"

#include <QList>
#include <cstring>
#include <limits>
#include <type_traits>

// The text holds one line break, '\n', as QPlainTextEdit's does: CR, LF, CR LF, U+2029 and the
// frame marks U+FDD0 and U+FDD1 each become '\n' here, and its style is recorded in the layout,
// in order, to be written back as it was. Every other character, NUL, U+2028 and U+FEFF
// included, is kept unchanged.

namespace {

constexpr char16_t frameStart = 0xFDD0;
constexpr char16_t frameEnd = 0xFDD1;

// Takes the one final break off and stores the styles in the layout.
void finishBreaks(QString& text, LineBreakRecorder& recorder, DocumentLayout& layout) {
    if (recorder.count() > 0 && text.endsWith(u'\n')) {
        text.chop(1);
        recorder.takeLastAsFinal();
    }
    layout.defaultBreak = breakBytes(recorder.commonPlainStyle());
    layout.breakStyles = recorder.finish();
}

void finishBreaks(QByteArray& text, LineBreakRecorder& recorder, DocumentLayout& layout) {
    if (recorder.count() > 0 && text.endsWith('\n')) {
        text.chop(1);
        recorder.takeLastAsFinal();
    }
    layout.defaultBreak = breakBytes(recorder.commonPlainStyle());
    layout.breakStyles = recorder.finish();
}

// Turns every line break of the text into '\n' in place and records the styles; the one final
// break is taken off.
void takeLineBreaks(QString& text, DocumentLayout& layout) {
    LineBreakRecorder recorder;
    char16_t* data = reinterpret_cast<char16_t*>(text.data());
    const qsizetype size = text.size();
    qsizetype out = 0;
    for (qsizetype in = 0; in < size; ++in) {
        const char16_t c = data[in];
        BreakStyle style;
        if (c == u'\n') {
            style = BreakStyle::Lf;
        } else if (c == u'\r') {
            if (in + 1 < size && data[in + 1] == u'\n') {
                ++in;
                style = BreakStyle::CrLf;
            } else {
                style = BreakStyle::Cr;
            }
        } else if (c == QChar::ParagraphSeparator) {
            style = BreakStyle::ParagraphSeparator;
        } else if (c == frameStart) {
            style = BreakStyle::FrameStart;
        } else if (c == frameEnd) {
            style = BreakStyle::FrameEnd;
        } else {
            data[out++] = c;
            continue;
        }
        recorder.add(style);
        data[out++] = u'\n';
    }
    text.truncate(out);
    finishBreaks(text, recorder, layout);
}

// UTF-8 in pieces: each part of the text is encoded a slice at a time, and out is handed to the
// sink whenever it has grown to pieceSize.
bool encodeUtf8(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                const ByteSink& sink) {
    LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
    QByteArray out;
    if (layout.byteOrderMark)
        out.append("\xEF\xBB\xBF");
    for (const QAnyStringView part : text) {
        const bool goOn = part.visit([&](auto view) {
            for (qsizetype at = 0; at < view.size();) {
                qsizetype n = std::min(pieceSize, view.size() - at);
                if constexpr (std::is_same_v<decltype(view), QLatin1StringView>) {
                    encodeLatin1Lines(view.sliced(at, n), breaks, out);
                } else if constexpr (std::is_same_v<decltype(view), QStringView>) {
                    // A surrogate pair is never cut in two.
                    if (at + n < view.size() && view[at + n - 1].isHighSurrogate())
                        ++n;
                    encodeUtf8Lines(view.sliced(at, n), breaks, out, false);
                } else { // text in UTF-8 is never handed here
                    n = view.size() - at;
                    encodeUtf8Lines(view.sliced(at).toString(), breaks, out, false);
                }
                at += n;
                if (out.size() >= pieceSize) {
                    if (!sink(out))
                        return false;
                    out.resize(0);
                }
            }
            return true;
        });
        if (!goOn)
            return false;
    }
    out.append(breaks.final());
    return sink(out);
}

// Calls f(c, line) for each character of the text (a surrogate pair as one, even when the text's
// pieces part it), '\n' included, until f answers false; false then.
template <typename F> bool eachCharacter(const TextParts& text, F&& f) {
    char16_t high = 0;
    qint64 line = 1;
    auto one = [&](char16_t c) {
        if (high) {
            const char16_t first = high;
            high = 0;
            if (QChar::isLowSurrogate(c))
                return f(QChar::surrogateToUcs4(first, c), line);
            if (!f(char32_t(first), line))
                return false;
        }
        if (QChar::isHighSurrogate(c)) {
            high = c;
            return true;
        }
        const bool goOn = f(char32_t(c), line);
        line += c == u'\n';
        return goOn;
    };
    for (const QAnyStringView part : text) {
        const bool goOn = part.visit([&](auto view) {
            if constexpr (std::is_same_v<decltype(view), QUtf8StringView>) {
                for (const QChar c : view.toString())
                    if (!one(c.unicode()))
                        return false;
            } else {
                for (const auto c : view)
                    if (!one(QChar(c).unicode()))
                        return false;
            }
            return true;
        });
        if (!goOn)
            return false;
    }
    return !high || f(char32_t(high), line);
}

// Writes characters in a legacy encoding at a raw pointer: the code page looked up once.
class LegacyWriter {
public:
    explicit LegacyWriter(TextEncoding encoding)
        : page(encoding == TextEncoding::Windows1252 ? nullptr : &CodePage::of(encoding)) {}
    // At most four bytes at o; false when the encoding cannot hold the character.
    bool put(char32_t c, char*& o) const {
        if (c < 0x80) {
            *o++ = char(c);
            return true;
        }
        if (c < 0x10000 && isByteMark(char16_t(c))) {
            *o++ = char(c & 0xFF);
            return true;
        }
        if (page) {
            const int n = page->encode(c, o);
            o += n;
            return n > 0;
        }
        const int b = c < 0x10000 ? windows1252Byte(char16_t(c)) : -1;
        if (b >= 0)
            *o++ = char(b);
        return b >= 0;
    }
    bool putBreak(const QByteArray& brk, char*& o) const {
        if (brk.size() <= 2) { // CR, LF, CR LF: the same bytes in every such code page
            std::memcpy(o, brk.constData(), size_t(brk.size()));
            o += brk.size();
            return true;
        }
        return put(QString::fromUtf8(brk).toUcs4().value(0), o);
    }

private:
    const CodePage* page;
};

// The text in a single- or double-byte code page, or ISO-2022-JP, handed to the sink in pieces
// of about pieceSize bytes; false when it cannot hold a character or the sink stopped it.
bool encodeLegacy(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                  const ByteSink& sink) {
    LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
    const TextEncoding encoding = layout.encoding;
    if (encoding == TextEncoding::Iso2022Jp) {
        QString whole;
        eachCharacter(text, [&](char32_t c, qint64) {
            if (c == u'\n')
                whole.append(QString::fromUtf8(breaks.next()));
            else
                whole.append(QStringView(QChar::fromUcs4(c)));
            return true;
        });
        whole.append(QString::fromUtf8(breaks.final()));
        QByteArray out;
        return encodeStateful(encoding, whole, out) && sink(out);
    }
    const LegacyWriter writer(encoding);
    qsizetype size = 0;
    for (const QAnyStringView part : text)
        size += part.size();
    // Two bytes a unit at most: a piece is handed on once it has grown to pieceSize, and the
    // room beyond it holds the longest character or break.
    const qsizetype room = std::min(2 * size, pieceSize) + 16;
    QByteArray out;
    char* o = nullptr;
    char* full = nullptr;
    auto fresh = [&] {
        out.resize(room);
        adviseHugePages(out.data(), size_t(out.size()));
        o = out.data();
        full = out.data() + std::min(pieceSize, room - 8);
    };
    auto handOn = [&] {
        out.truncate(o - out.data());
        if (!sink(out))
            return false;
        fresh();
        return true;
    };
    fresh();
    bool stopped = false;
    const bool fits = eachCharacter(text, [&](char32_t c, qint64) {
        if (o >= full && !handOn()) {
            stopped = true;
            return false;
        }
        return c == u'\n' ? writer.putBreak(breaks.next(), o) : writer.put(c, o);
    });
    if (!fits || stopped || !writer.putBreak(breaks.final(), o))
        return false;
    out.truncate(o - out.data());
    return sink(out);
}

// The whole document's bytes; false when the encoding cannot hold the text.
bool encodeWhole(const TextParts& text, const DocumentLayout& layout, QByteArray& out) {
    const TextEncoding encoding = layout.encoding;
    if (encoding == TextEncoding::Utf8) {
        encodeUtf8(text, layout, std::numeric_limits<qsizetype>::max(), [&out](QByteArray& whole) {
            out = std::move(whole);
            return true;
        });
    } else if (encoding == TextEncoding::Utf16LittleEndian ||
               encoding == TextEncoding::Utf16BigEndian) {
        const bool big = encoding == TextEncoding::Utf16BigEndian;
        LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
        if (layout.byteOrderMark)
            out.append(big ? "\xFE\xFF" : "\xFF\xFE");
        encodeUtf16Lines(text, breaks, big, out);
    } else if (encoding == TextEncoding::Utf32LittleEndian ||
               encoding == TextEncoding::Utf32BigEndian) {
        const bool big = encoding == TextEncoding::Utf32BigEndian;
        LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
        if (layout.byteOrderMark)
            out.append(big ? QByteArray("\0\0\xFE\xFF", 4) : QByteArray("\xFF\xFE\0\0", 4));
        encodeUtf32Lines(text, breaks, big, out);
    } else if (!encodeLegacy(text, layout, std::numeric_limits<qsizetype>::max(),
                             [&out](QByteArray& piece) {
                                 out += piece;
                                 return true;
                             })) {
        return false;
    }
    out.append(layout.trailingBytes);
    return true;
}

// UTF-16 without a mark: many units with a zero byte, nearly all on one side.
std::optional<bool> unmarkedUtf16(QByteArrayView bytes) {
    if (bytes.size() < 2 || bytes.size() % 2)
        return std::nullopt;
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024));
    qsizetype zeroFirst = 0, zeroSecond = 0;
    for (qsizetype i = 0; i + 1 < sample.size(); i += 2) {
        zeroFirst += sample[i] == 0;
        zeroSecond += sample[i + 1] == 0;
    }
    const qsizetype units = sample.size() / 2;
    const qsizetype most = std::max(zeroFirst, zeroSecond), least = std::min(zeroFirst, zeroSecond);
    if (most * 4 < units || least * 16 > most)
        return std::nullopt;
    return zeroFirst > zeroSecond; // big-endian: the high byte, zero for ASCII, comes first
}

DecodedDocument decodeUnicode(QByteArrayView bytes, TextEncoding encoding, bool mark) {
    DecodedDocument doc;
    doc.layout.encoding = encoding;
    doc.layout.byteOrderMark = mark;
    const bool big =
        encoding == TextEncoding::Utf16BigEndian || encoding == TextEncoding::Utf32BigEndian;
    const bool wide =
        encoding == TextEncoding::Utf32LittleEndian || encoding == TextEncoding::Utf32BigEndian;
    const qsizetype unit = wide ? 4 : 2;
    const QByteArrayView body = bytes.sliced(mark ? unit : 0);
    const qsizetype whole = body.size() - body.size() % unit;
    doc.layout.trailingBytes = body.sliced(whole).toByteArray();
    if (wide)
        decodeUtf32(body.first(whole), big, doc.text);
    else
        decodeUtf16(body.first(whole), big, doc.text);
    takeLineBreaks(doc.text, doc.layout);
    return doc;
}

DecodedDocument decodeUtf8(QByteArrayView bytes, bool markInvalid) {
    DecodedDocument doc;
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    LineBreakRecorder recorder;
    decodeUtf8Lines(bytes.sliced(mark ? 3 : 0), doc.text, recorder, markInvalid);
    doc.layout.encoding = TextEncoding::Utf8;
    doc.layout.byteOrderMark = mark;
    finishBreaks(doc.text, recorder, doc.layout);
    return doc;
}

// Without a mark: a legacy encoding from its table (or ISO-2022-JP, when it fits).
std::optional<DecodedDocument> decodeLegacy(QByteArrayView bytes, TextEncoding encoding) {
    DecodedDocument doc;
    doc.layout.encoding = encoding;
    if (encoding == TextEncoding::Windows1252)
        doc.text = decodeWindows1252(bytes.toByteArray());
    else if (encoding == TextEncoding::Iso2022Jp) {
        if (!decodeStateful(encoding, bytes, doc.text))
            return std::nullopt;
    } else
        CodePage::of(encoding).decode(bytes, doc.text);
    takeLineBreaks(doc.text, doc.layout);
    return doc;
}

// The Unicode encoding its mark names, if any.
std::optional<TextEncoding> markedEncoding(QByteArrayView bytes) {
    if (bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return TextEncoding::Utf32BigEndian;
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) && bytes.size() % 4 == 0) {
        QString probe;
        if (decodeUtf32(bytes.sliced(4), false, probe))
            return TextEncoding::Utf32LittleEndian;
    }
    if (bytes.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LittleEndian;
    if (bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BigEndian;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    return std::nullopt;
}

bool mostlyUtf8(QByteArrayView bytes) {
    const Utf8Census census = countUtf8(bytes, 4096);
    return census.valid > 0 && census.valid >= 2 * census.invalid;
}

} // namespace

DocumentLayout newDocumentLayout() {
    return DocumentLayout{};
}

DecodedDocument decodeDocument(const QByteArray& bytes) {
    if (const auto marked = markedEncoding(bytes))
        return *marked == TextEncoding::Utf8 ? decodeUtf8(bytes, true)
                                             : decodeUnicode(bytes, *marked, true);
    DecodedDocument doc;
    LineBreakRecorder recorder;
    if (!unmarkedUtf16(bytes) && decodeUtf8Lines(bytes, doc.text, recorder)) {
        finishBreaks(doc.text, recorder, doc.layout);
        return doc;
    }
    if (const auto big = unmarkedUtf16(bytes))
        return decodeUnicode(
            bytes, *big ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian, false);
    if (mostlyUtf8(bytes))
        return decodeUtf8(bytes, true);
    return *decodeLegacy(bytes, guessLegacyEncoding(bytes));
}

std::optional<DecodedDocument> decodeDocumentAs(const QByteArray& bytes, TextEncoding encoding) {
    const auto marked = markedEncoding(bytes);
    switch (encoding) {
    case TextEncoding::Utf8:
        return decodeUtf8(bytes, true);
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
    case TextEncoding::Utf32LittleEndian:
    case TextEncoding::Utf32BigEndian: {
        const QByteArrayView mark = encoding == TextEncoding::Utf16LittleEndian ? "\xFF\xFE"
                                    : encoding == TextEncoding::Utf16BigEndian  ? "\xFE\xFF"
                                    : encoding == TextEncoding::Utf32LittleEndian
                                        ? QByteArrayView("\xFF\xFE\0\0", 4)
                                        : QByteArrayView("\0\0\xFE\xFF", 4);
        return decodeUnicode(bytes, encoding, bytes.startsWith(mark) && marked == encoding);
    }
    default:
        return decodeLegacy(bytes, encoding);
    }
}

DocumentLayout appendLayout(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return newDocumentLayout();
    DocumentLayout layout = decodeDocument(bytes).layout;
    layout.byteOrderMark = false;
    layout.breakStyles = QByteArray();
    layout.trailingBytes = QByteArray();
    return layout;
}

DocumentLayout utf8Layout(DocumentLayout layout) {
    layout.encoding = TextEncoding::Utf8;
    layout.byteOrderMark = false;
    return layout;
}

std::optional<Unencodable> firstUnencodable(const TextParts& text, const DocumentLayout& layout) {
    if (isUnicode(layout.encoding))
        return std::nullopt;
    LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
    std::optional<Unencodable> found;
    QByteArray scratch;
    if (layout.encoding == TextEncoding::Iso2022Jp) {
        eachCharacter(text, [&](char32_t c, qint64 line) {
            scratch.clear();
            if (c != u'\n' && !encodeStateful(layout.encoding, QString::fromUcs4(&c, 1), scratch))
                found = Unencodable{c, line};
            return !found;
        });
        return found;
    }
    const LegacyWriter writer(layout.encoding);
    char scratchBytes[8];
    eachCharacter(text, [&](char32_t c, qint64 line) {
        char* o = scratchBytes;
        const bool fits = c == u'\n' ? writer.putBreak(breaks.next(), o) : writer.put(c, o);
        if (!fits)
            found = Unencodable{c == u'\n' ? char32_t(QChar::ParagraphSeparator) : c, line};
        return fits;
    });
    return found;
}

std::optional<CompactDocument> decodeCompactDocument(const QByteArray& bytes) {
    if (unmarkedUtf16(bytes))
        return std::nullopt;
    CompactDocument doc;
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    LineBreakRecorder recorder;
    if (!decodeUtf8Latin1Lines(QByteArrayView(bytes).sliced(mark ? 3 : 0), doc.latin1, recorder))
        return std::nullopt;
    doc.layout.encoding = TextEncoding::Utf8;
    doc.layout.byteOrderMark = mark;
    finishBreaks(doc.latin1, recorder, doc.layout);
    return doc;
}

QByteArray encodeDocument(const QString& text, const DocumentLayout& layout) {
    return encodeDocument(TextParts{text}, layout);
}

QByteArray encodeDocument(const TextParts& text, const DocumentLayout& layout) {
    QByteArray out;
    if (!encodeWhole(text, layout, out))
        return QByteArray();
    return out;
}

bool encodeDocument(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                    const ByteSink& sink) {
    if (layout.trailingBytes.isEmpty() && layout.encoding == TextEncoding::Utf8)
        return encodeUtf8(text, layout, pieceSize, sink);
    if (!isUnicode(layout.encoding)) // never a mark or trailing bytes
        return encodeLegacy(text, layout, pieceSize, sink);
    // Encoded whole: UTF-16 and UTF-32 are a small share of documents.
    QByteArray whole;
    return encodeWhole(text, layout, whole) && sink(whole);
}
