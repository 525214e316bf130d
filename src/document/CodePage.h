#pragma once

#include "document/TextEncodings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

// A byte the document's encoding does not decode is shown as one lone low surrogate,
// U+DC00 + the byte, and written back as that very byte: a character no decoded text can hold,
// so the two never mix. The editing box draws it as a visible mark.
constexpr bool isByteMark(char16_t c) {
    return c >= 0xDC00 && c <= 0xDCFF;
}
constexpr char16_t byteMark(unsigned char b) {
    return char16_t(0xDC00 + b);
}

// A legacy single- or double-byte code page as lookup tables, built once from the system's
// converter (ICU) and kept only where a character goes to its bytes and back unchanged: every
// other byte sequence decodes to byte marks, so any file reads and writes back byte for byte.
// Not for ISO-2022-JP, whose meaning depends on escape sequences.
class CodePage {
public:
    // Built on first use; safe from any thread.
    static const CodePage& of(TextEncoding encoding);

    // Appends the bytes' text to out.
    void decode(QByteArrayView bytes, QString& out) const;
    // Writes the character's bytes (a byte mark its byte), at most four; how many, 0 when the
    // code page cannot hold it.
    int encode(char32_t c, char* out) const;

private:
    explicit CodePage(TextEncoding encoding);
    int slowEncode(char32_t c, char* out) const;
    qsizetype slowDecode(const unsigned char* p, const unsigned char* end, QString& out) const;

    QByteArray name;
    bool longSequences = false; // EUC-JP's three bytes, GB18030's four
    char16_t single[256];
    bool lead[256];
    std::vector<char32_t> pairs;   // (lead << 8 | trail) to the character, 0 for none
    std::vector<quint32> bmpBytes; // a BMP character to (length << 24 | bytes), 0 for none
};

// ISO-2022-JP and anything without a table: the converter's own whole-text answer, or nothing
// when the text does not go back to the same bytes.
bool decodeStateful(TextEncoding encoding, QByteArrayView bytes, QString& out);
bool encodeStateful(TextEncoding encoding, QStringView text, QByteArray& out);
