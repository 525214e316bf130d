// Document bytes -> text -> bytes. A file is UTF-16 when it starts with a UTF-16 byte-order mark
// and the rest is valid UTF-16, otherwise UTF-8 when it is, otherwise Windows-1252. It "ends with
// a line break" when its last character, read in that encoding, is LF, CR (so CR LF too), U+2029,
// U+FDD0 or U+FDD1; in a Windows-1252 file only CR and LF exist. Such a file must be written back
// byte for byte; any other file must come back as its bytes plus one default break, in its
// encoding: the file's most frequent of CR LF, LF and CR (CR LF on a tie with it or when there is
// none, LF before CR).
// The text also goes through the real editing box, which must hand it back unchanged.
#include "document/DocumentFormat.h"
#include "document/Windows1252.h"
#include "editor/TextView.h"

#include <QApplication>
#include <QByteArray>
#include <QStringDecoder>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

TextView* box = nullptr;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

bool isBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
}

// The break a file without a final one gains, counted on the decoded characters.
QByteArray expectedDefault(const QString& chars) {
    qint64 crlf = 0, lf = 0, cr = 0;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        if (chars[i] == u'\r' && i + 1 < chars.size() && chars[i + 1] == u'\n') {
            ++crlf;
            ++i;
        } else if (chars[i] == u'\n') {
            ++lf;
        } else if (chars[i] == u'\r') {
            ++cr;
        }
    }
    if (crlf >= lf && crlf >= cr)
        return "\r\n";
    return lf >= cr ? "\n" : "\r";
}

QByteArray encodedBreak(const QByteArray& brk, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16LittleEndian)
        return QStringEncoder(QStringConverter::Utf16LE)(QString::fromLatin1(brk));
    if (encoding == TextEncoding::Utf16BigEndian)
        return QStringEncoder(QStringConverter::Utf16BE)(QString::fromLatin1(brk));
    return brk;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    box = new TextView;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The reference reading: Qt's own decoders decide whether the file is UTF-16 or UTF-8.
    const bool big = bytes.startsWith("\xFE\xFF");
    QStringDecoder utf16(big ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                         QStringConverter::Flag::Stateless);
    QString chars = utf16(QByteArrayView(bytes).sliced(std::min<qsizetype>(2, bytes.size())));
    const bool isUtf16 = (big || bytes.startsWith("\xFF\xFE")) && bytes.size() % 2 == 0 &&
                         !utf16.hasError() && QStringView(chars).isValidUtf16();
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    bool isUtf8 = false;
    if (!isUtf16) {
        chars = utf8(QByteArrayView(bytes).sliced(bom ? 3 : 0));
        isUtf8 = !utf8.hasError();
        if (!isUtf8)
            chars = decodeWindows1252(bytes);
    }

    const DecodedDocument doc = decodeDocument(bytes);
    const TextEncoding expected =
        isUtf16  ? (big ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian)
        : isUtf8 ? TextEncoding::Utf8
                 : TextEncoding::Windows1252;
    check(doc.layout.encoding == expected, "encoding detected");
    check(!isUtf8 || doc.layout.byteOrderMark == bom, "byte order mark detected");
    for (const QChar c : doc.text)
        check(c == u'\n' || !isBreak(c.unicode()), "a break other than '\\n' in the text");

    const bool endsWithBreak = !chars.isEmpty() && isBreak(chars.back().unicode());
    const QByteArray written = encodeDocument(doc.text, doc.layout);
    if (endsWithBreak)
        check(written == bytes, "decode then encode changed the bytes");
    else
        check(written == bytes + encodedBreak(expectedDefault(chars), doc.layout.encoding),
              "a file without a final break");

    box->setPlainText(doc.text);
    check(box->toPlainText() == doc.text, "the editing box changed the text");
    check(encodeDocument(box->buffer().parts(), doc.layout) == written,
          "saving from the box's pieces");
    return 0;
}
