#include "document/Utf16Lines.h"

#include "document/LineBreakStyles.h"

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
    if (bytes.size() % 2)
        return false;
    text.resize(bytes.size() / 2);
    char16_t* const units = reinterpret_cast<char16_t*>(text.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), text.size(), units);
    else
        qFromLittleEndian<char16_t>(bytes.data(), text.size(), units);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isHigh(units[i]) && i + 1 < text.size() && isLow(units[i + 1]))
            ++i;
        else if (isHigh(units[i]) || isLow(units[i]))
            return false;
    }
    return true;
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
                    writer.put(isLow(c) ? high : char16_t(0xFFFD));
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
                    writer.put(isLow(c) ? char16_t(0xFFFD) : c);
            }
        });
    }
    if (high)
        writer.put(0xFFFD);
    writer.putBreak(breaks.final());
    writer.finish();
}
