#include "document/CodePage.h"

#include "basics/HugePages.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstring>
#include <mutex>

namespace {
// One decoded code point, or 0 when the text is not exactly one (or a replacement).
char32_t onlyCodePoint(const QString& text) {
    if (text.size() == 1 && !text[0].isSurrogate())
        return text[0].unicode();
    if (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return 0;
}

bool isReplacement(char32_t c) {
    return c == 0 || c == 0xFFFD || c == 0x1A;
}

void appendCodePoint(QString& out, char32_t c) {
    if (c >= 0x10000) {
        out.append(QChar::highSurrogate(c));
        out.append(QChar::lowSurrogate(c));
    } else {
        out.append(QChar(char16_t(c)));
    }
}
} // namespace

const CodePage& CodePage::of(TextEncoding encoding) {
    static std::mutex lock;
    static std::array<std::unique_ptr<CodePage>, 64> built;
    const std::lock_guard guard(lock);
    auto& page = built[size_t(encoding)];
    if (!page)
        page.reset(new CodePage(encoding));
    return *page;
}

CodePage::CodePage(TextEncoding encoding)
    : name(encodingInfo(encoding).converterName), bmpBytes(0x10000, 0) {
    longSequences = encoding == TextEncoding::EucJp || encoding == TextEncoding::Gb18030;
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
    // Kept when the character goes back to the very same bytes.
    auto roundTrips = [&](QByteArrayView bytes, char32_t& c) {
        c = onlyCodePoint(decoder(bytes));
        if (isReplacement(c) && !(bytes.size() == 1 && bytes[0] == 0))
            return false;
        QString text;
        appendCodePoint(text, c);
        return QByteArray(encoder(text)) == bytes;
    };
    bool anyLead = false;
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        char32_t c = 0;
        lead[b] = false;
        // ASCII is itself in every code page here, whatever a converter's vendor table says of
        // its controls: line breaks and the writers' ASCII shortcut rely on it.
        if (b < 0x80) {
            single[b] = char16_t(b);
            bmpBytes[size_t(b)] = (1u << 24) | unsigned(b);
            continue;
        }
        if (roundTrips(QByteArrayView(&byte, 1), c) && c < 0x10000) {
            single[b] = char16_t(c);
            if (!bmpBytes[c])
                bmpBytes[c] = (1u << 24) | unsigned(b);
            continue;
        }
        single[b] = byteMark(uchar(b));
        // Maybe the first of two bytes.
        for (int t = 0x21; t < 256; ++t) {
            const char two[2] = {byte, char(t)};
            if (!roundTrips(QByteArrayView(two, 2), c))
                continue;
            if (pairs.empty())
                pairs.assign(0x10000, 0);
            pairs[size_t(b << 8 | t)] = c;
            if (c < 0x10000 && !bmpBytes[c])
                bmpBytes[c] = (2u << 24) | unsigned(b << 8 | t);
            lead[b] = anyLead = true;
        }
    }
    // Leads of longer sequences alone decode to nothing: worth a slow look in decode.
    if (longSequences)
        for (int b = 0x80; b < 256; ++b)
            lead[b] = lead[b] || single[b] == byteMark(uchar(b));
}

void CodePage::decode(QByteArrayView bytes, QString& out) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    const qsizetype start = out.size();
    // Never more UTF-16 units than bytes, except for a rare long sequence's pair.
    out.resize(start + bytes.size());
    adviseHugePages(out.data(), size_t(out.size()) * 2);
    char16_t* o = reinterpret_cast<char16_t*>(out.data()) + start;
    auto written = [&] { return o - reinterpret_cast<char16_t*>(out.data()); };
    while (p < end) {
        const unsigned char b = *p;
        if (!lead[b]) {
            *o++ = single[b];
            ++p;
            continue;
        }
        const char32_t c = (end - p >= 2 && !pairs.empty()) ? pairs[size_t(b << 8 | p[1])] : 0;
        if (c && c < 0x10000) {
            *o++ = char16_t(c);
            p += 2;
            continue;
        }
        // Something rarer: let the converter look, and copy what it made.
        QString slow;
        const qsizetype used = c ? (appendCodePoint(slow, c), 2) : slowDecode(p, end, slow);
        const qsizetype at = written();
        out.resize(std::max(out.size(), at + slow.size() + (end - p)));
        o = reinterpret_cast<char16_t*>(out.data()) + at;
        for (const QChar ch : slow)
            *o++ = ch.unicode();
        p += used;
    }
    out.truncate(written());
}

qsizetype CodePage::slowDecode(const unsigned char* p, const unsigned char* end,
                               QString& out) const {
    if (longSequences) {
        QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
        QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
        for (qsizetype n : {3, 4}) {
            if (end - p < n)
                break;
            const QByteArrayView bytes(reinterpret_cast<const char*>(p), n);
            const QString text = decoder(bytes);
            const char32_t c = onlyCodePoint(text);
            if (!isReplacement(c) && QByteArray(encoder(text)) == bytes) {
                out.append(text);
                return n;
            }
        }
    }
    out.append(QChar(byteMark(*p)));
    return 1;
}

int CodePage::encode(char32_t c, char* out) const {
    if (c < 0x10000) {
        if (isByteMark(char16_t(c))) {
            *out = char(c & 0xFF);
            return 1;
        }
        if (const quint32 code = bmpBytes[c]) {
            if (code >> 24 == 2) {
                out[0] = char((code >> 8) & 0xFF);
                out[1] = char(code & 0xFF);
                return 2;
            }
            *out = char(code & 0xFF);
            return 1;
        }
        if (!longSequences)
            return 0;
    }
    return slowEncode(c, out);
}

int CodePage::slowEncode(char32_t c, char* out) const {
    QString text;
    appendCodePoint(text, c);
    QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(text);
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (bytes.isEmpty() || bytes.size() > 4 || QString(decoder(bytes)) != text)
        return 0;
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
    return int(bytes.size());
}

bool decodeStateful(TextEncoding encoding, QByteArrayView bytes, QString& out) {
    const char* name = encodingInfo(encoding).converterName;
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    QByteArray back;
    if (decoder.hasError() || !encodeStateful(encoding, text, back) || back != bytes)
        return false;
    out.append(text);
    return true;
}

bool encodeStateful(TextEncoding encoding, QStringView text, QByteArray& out) {
    const char* name = encodingInfo(encoding).converterName;
    QStringEncoder encoder(name, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(text);
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    if (QString(decoder(bytes)) != text)
        return false;
    out.append(bytes);
    return true;
}
