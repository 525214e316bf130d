#include "document/Utf16Lines.h"

#include "basics/HugePages.h"
#include "document/LineBreakStyles.h"

#include <QList>
#include <QtEndian>
#include <type_traits>

namespace {

bool isHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Calls f with the piece as Latin-1 or UTF-16 units (text in UTF-8 is never handed here).
template <typename F> void visitUnits(QAnyStringView part, F&& f) {
    part.visit([&f](auto view) {
        if constexpr (std::is_same_v<decltype(view), QUtf8StringView>)
            f(QStringView(view.toString()));
        else
            f(view);
    });
}

class Utf16Writer {
public:
    Utf16Writer(QByteArray& out, qsizetype units, bool bigEndian)
        : out(out), start(out.size()), bigEndian(bigEndian) {
        out.resize(start + 2 * units);
        o = out.data() + start;
    }
    void put(char16_t c) {
        if (bigEndian)
            qToBigEndian(c, o);
        else
            qToLittleEndian(c, o);
        o += 2;
    }
    // A break's bytes are UTF-8: CR, LF, CR LF, or one three-byte character.
    void putBreak(const QByteArray& brk) {
        if (brk.size() == 3) {
            const auto* b = reinterpret_cast<const unsigned char*>(brk.constData());
            put(char16_t(((b[0] & 0x0F) << 12) | ((b[1] & 0x3F) << 6) | (b[2] & 0x3F)));
            return;
        }
        for (const char c : brk)
            put(char16_t(c));
    }
    void finish() { out.truncate(o - out.data()); }

private:
    QByteArray& out;
    qsizetype start;
    bool bigEndian;
    char* o = nullptr;
};

} // namespace

bool decodeUtf16(QByteArrayView bytes, bool bigEndian, QString& text) {
    text.resize(bytes.size() / 2);
    adviseHugePages(text.data(), size_t(text.size()) * 2);
    char16_t* const units = reinterpret_cast<char16_t*>(text.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), text.size(), units);
    else
        qFromLittleEndian<char16_t>(bytes.data(), text.size(), units);
    bool strict = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isHigh(units[i]) && i + 1 < text.size() && isLow(units[i + 1]))
            ++i;
        else if (isHigh(units[i]) || isLow(units[i]))
            strict = false;
    }
    return strict;
}

bool decodeUtf32(QByteArrayView bytes, bool bigEndian, QString& text) {
    const qsizetype count = bytes.size() / 4;
    text.resize(count * 4); // at most four marks per unit
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    bool strict = true;
    for (qsizetype i = 0; i < count; ++i, p += 4) {
        const char32_t c = bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        if (c >= 0x110000 || (c >= 0xD800 && c <= 0xDFFF)) {
            strict = false;
            for (int k = 0; k < 4; ++k)
                *out++ = char16_t(0xDC00 + p[k]);
        } else if (c >= 0x10000) {
            *out++ = QChar::highSurrogate(c);
            *out++ = QChar::lowSurrogate(c);
        } else {
            *out++ = char16_t(c);
        }
    }
    text.truncate(out - begin);
    return strict;
}

void encodeUtf16Lines(const std::vector<QAnyStringView>& text, LineBreakPlayer& breaks,
                      bool bigEndian, QByteArray& out) {
    // A break takes up to two units for the one '\n' it stands for, the final one two more.
    qsizetype units = 2;
    for (const QAnyStringView part : text)
        visitUnits(part, [&units](auto view) {
            units += view.size();
            for (const auto c : view)
                units += QChar(c) == u'\n';
        });
    Utf16Writer writer(out, units, bigEndian);
    char16_t high = 0; // a high surrogate waiting for its partner, maybe in the next piece
    for (const QAnyStringView part : text) {
        visitUnits(part, [&](auto view) {
            for (const auto ch : view) {
                const char16_t c = QChar(ch).unicode();
                if (high) {
                    writer.put(high);
                    high = 0;
                    if (isLow(c)) {
                        writer.put(c);
                        continue;
                    }
                }
                if (c == u'\n')
                    writer.putBreak(breaks.next());
                else if (isHigh(c))
                    high = c;
                else
                    writer.put(c);
            }
        });
    }
    if (high)
        writer.put(high);
    writer.putBreak(breaks.final());
    writer.finish();
}

void encodeUtf32Lines(const std::vector<QAnyStringView>& text, LineBreakPlayer& breaks,
                      bool bigEndian, QByteArray& out) {
    auto put = [&out, bigEndian](char32_t c) {
        char bytes[4];
        if (bigEndian)
            qToBigEndian(quint32(c), bytes);
        else
            qToLittleEndian(quint32(c), bytes);
        out.append(bytes, 4);
    };
    auto putBreak = [&put](const QByteArray& brk) {
        for (const char32_t c : QString::fromUtf8(brk).toUcs4())
            put(c);
    };
    char16_t high = 0;
    for (const QAnyStringView part : text) {
        visitUnits(part, [&](auto view) {
            for (const auto ch : view) {
                const char16_t c = QChar(ch).unicode();
                if (high && isLow(c)) {
                    put(QChar::surrogateToUcs4(high, c));
                    high = 0;
                    continue;
                }
                if (high)
                    put(high);
                high = 0;
                if (c == u'\n')
                    putBreak(breaks.next());
                else if (isHigh(c))
                    high = c;
                else if (c >= 0xDC00 && c <= 0xDCFF)
                    out.append(char(c & 0xFF)); // a byte mark
                else
                    put(c);
            }
        });
    }
    if (high)
        put(high);
    putBreak(breaks.final());
}
