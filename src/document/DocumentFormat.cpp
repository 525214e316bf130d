#include "document/DocumentFormat.h"

#include "document/LineBreakStyles.h"
#include "document/Windows1252.h"

#include <QStringDecoder>
#include <cstring>

// The editing box (a QTextDocument) turns CR, LF, CR LF, U+2029 and the frame marks U+FDD0 and
// U+FDD1 into block breaks and gives them all back as '\n'. Every other character, NUL, U+2028
// and U+FEFF included, survives it unchanged. So each of those six becomes '\n' here and its
// style is recorded in the layout, in order, to be written back as it was.

namespace {

constexpr char16_t frameStart = 0xFDD0;
constexpr char16_t frameEnd = 0xFDD1;

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const char* data, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        // Plain ASCII eight bytes at a time.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
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
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += length;
    }
    return true;
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
    if (recorder.count() > 0 && text.endsWith(u'\n')) {
        text.chop(1);
        recorder.takeLastAsFinal();
    }
    layout.defaultBreak = breakBytes(recorder.commonPlainStyle());
    layout.breakStyles = recorder.finish();
}

// The text in the layout's encoding with '\n' already as single LF bytes; false when a character
// does not fit the single-byte encoding.
bool encodeCharacters(const QString& text, TextEncoding encoding, QByteArray& bytes) {
    if (encoding == TextEncoding::Utf8) {
        bytes = text.toUtf8();
        return true;
    }
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar c : text) {
        const int b = windows1252Byte(c.unicode());
        if (b < 0)
            return false;
        *out++ = char(b);
    }
    return true;
}

QByteArray encodeAs(const QString& text, const DocumentLayout& layout, TextEncoding encoding,
                    bool& fits) {
    fits = false;
    QByteArray chars;
    if (!encodeCharacters(text, encoding, chars))
        return {};
    const bool utf8 = encoding == TextEncoding::Utf8;
    LineBreakPlayer breaks(layout.breakStyles, layout.defaultBreak);
    QByteArray out;
    out.reserve(chars.size() + chars.size() / 16 + 8);
    if (utf8 && layout.byteOrderMark)
        out.append("\xEF\xBB\xBF");
    const char* p = chars.constData();
    const char* end = p + chars.size();
    auto putBreak = [&](const QByteArray& brk) {
        if (!utf8 && brk.size() > 2) // a break only UTF-8 can hold
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
    if (isValidUtf8(bytes.constData(), bytes.size())) {
        doc.layout.encoding = TextEncoding::Utf8;
        doc.layout.byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
        const qsizetype skip = doc.layout.byteOrderMark ? 3 : 0;
        // Our own BOM check above; the decoder must keep a second one as U+FEFF.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        doc.text = decoder(QByteArrayView(bytes).sliced(skip));
    } else {
        doc.layout.encoding = TextEncoding::Windows1252;
        doc.text = decodeWindows1252(bytes);
    }
    takeLineBreaks(doc.text, doc.layout);
    return doc;
}

QByteArray encodeDocument(const QString& text, const DocumentLayout& layout) {
    DocumentLayout copy = layout;
    return encodeDocumentSettling(text, copy);
}

QByteArray encodeDocumentSettling(const QString& text, DocumentLayout& layout) {
    bool fits = false;
    QByteArray bytes = encodeAs(text, layout, layout.encoding, fits);
    if (fits)
        return bytes;
    layout.encoding = TextEncoding::Utf8;
    layout.byteOrderMark = false;
    return encodeAs(text, layout, TextEncoding::Utf8, fits);
}
