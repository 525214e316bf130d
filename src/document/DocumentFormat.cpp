#include "document/DocumentFormat.h"

#include "document/LineBreakStyles.h"
#include "document/Utf16Lines.h"
#include "document/Utf8Lines.h"
#include "document/Windows1252.h"

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

// The text in Windows-1252 with '\n' already as single LF bytes; false when a character does
// not fit.
bool encodeWindows1252(const TextParts& text, QByteArray& bytes) {
    qsizetype size = 0;
    for (const QAnyStringView part : text)
        size += part.size();
    bytes.resize(size);
    char* out = bytes.data();
    for (const QAnyStringView part : text) {
        const bool fits = part.visit([&out](auto view) {
            for (const auto c : view) {
                const int b = windows1252Byte(char16_t(QChar(c).unicode()));
                if (b < 0)
                    return false;
                *out++ = char(b);
            }
            return true;
        });
        if (!fits)
            return false;
    }
    return true;
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

QByteArray encodeAs(const TextParts& text, const DocumentLayout& layout, TextEncoding encoding,
                    bool& fits) {
    fits = false;
    if (encoding == TextEncoding::Utf16LittleEndian || encoding == TextEncoding::Utf16BigEndian) {
        const bool big = encoding == TextEncoding::Utf16BigEndian;
        LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
        QByteArray out(big ? "\xFE\xFF" : "\xFF\xFE");
        encodeUtf16Lines(text, breaks, big, out);
        fits = true;
        return out;
    }
    if (encoding == TextEncoding::Utf8) {
        QByteArray out;
        encodeUtf8(text, layout, std::numeric_limits<qsizetype>::max(), [&out](QByteArray& whole) {
            out = std::move(whole);
            return true;
        });
        fits = true;
        return out;
    }
    QByteArray chars;
    if (!encodeWindows1252(text, chars))
        return {};
    LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
    QByteArray out;
    out.reserve(chars.size() + chars.size() / 16 + 8);
    const char* p = chars.constData();
    const char* end = p + chars.size();
    auto putBreak = [&](const QByteArray& brk) {
        if (brk.size() > 2) // a break only UTF-8 can hold
            return false;
        out.append(brk);
        return true;
    };
    while (true) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        out.append(p, (nl ? nl : end) - p);
        if (!nl)
            break;
        if (!putBreak(breaks.next()))
            return {};
        p = nl + 1;
    }
    if (!putBreak(breaks.final()))
        return {};
    fits = true;
    return out;
}

} // namespace

DocumentLayout newDocumentLayout() {
    return DocumentLayout{};
}

DecodedDocument decodeDocument(const QByteArray& bytes) {
    DecodedDocument doc;
    // A file with a UTF-16 mark that is not UTF-16 (an odd byte count, a lone surrogate) falls
    // through to Windows-1252, since 0xFE and 0xFF never occur in UTF-8: every byte is kept.
    const bool little = bytes.startsWith("\xFF\xFE"), big = bytes.startsWith("\xFE\xFF");
    if ((little || big) && decodeUtf16(QByteArrayView(bytes).sliced(2), big, doc.text)) {
        doc.layout.encoding = big ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian;
        doc.layout.byteOrderMark = true;
        takeLineBreaks(doc.text, doc.layout);
        return doc;
    }
    // Only the first BOM is the file's mark; a second one is text (U+FEFF).
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    LineBreakRecorder recorder;
    if (decodeUtf8Lines(QByteArrayView(bytes).sliced(mark ? 3 : 0), doc.text, recorder)) {
        doc.layout.encoding = TextEncoding::Utf8;
        doc.layout.byteOrderMark = mark;
        finishBreaks(doc.text, recorder, doc.layout);
        return doc;
    }
    doc.layout.encoding = TextEncoding::Windows1252;
    doc.text = decodeWindows1252(bytes);
    takeLineBreaks(doc.text, doc.layout);
    return doc;
}

std::optional<CompactDocument> decodeCompactDocument(const QByteArray& bytes) {
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
    DocumentLayout copy = layout;
    return encodeDocumentSettling(text, copy);
}

bool encodeDocument(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                    const ByteSink& sink) {
    if (layout.encoding == TextEncoding::Utf8)
        return encodeUtf8(text, layout, pieceSize, sink);
    // Encoded whole: a single-byte document may turn out to need UTF-8 only at its end, and
    // UTF-16 is a small share of documents.
    QByteArray whole = encodeDocument(text, layout);
    return sink(whole);
}

QByteArray encodeDocumentSettling(const QString& text, DocumentLayout& layout) {
    return encodeDocumentSettling(TextParts{text}, layout);
}

QByteArray encodeDocumentSettling(const TextParts& text, DocumentLayout& layout) {
    bool fits = false;
    QByteArray bytes = encodeAs(text, layout, layout.encoding, fits);
    if (fits)
        return bytes;
    layout.encoding = TextEncoding::Utf8;
    layout.byteOrderMark = false;
    return encodeAs(text, layout, TextEncoding::Utf8, fits);
}
