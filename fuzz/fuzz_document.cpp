// Document bytes -> text -> bytes, in whatever encoding the bytes are read: the one decodeDocument
// chooses, and the one the first byte picks for decodeDocumentAs (every encoding offered). Saving
// the unedited text writes the file back byte for byte, except that a file without a final line
// break gains exactly one, in its encoding, before any bytes left after its last whole unit.
// The text also goes through the real editing box, which must hand it back unchanged.
#include "document/DocumentFormat.h"
#include "editor/TextView.h"

#include <QApplication>
#include <QByteArray>
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

// The bytes of the layout's default break alone, in its encoding.
QByteArray finalBreak(DocumentLayout layout) {
    layout.byteOrderMark = false;
    layout.breakStyles.clear();
    layout.trailingBytes.clear();
    return encodeDocument(QString(), layout);
}

void checkDocument(const QByteArray& bytes, const DecodedDocument& doc) {
    const QByteArray written = encodeDocument(doc.text, doc.layout);
    check(!written.isNull(), "the encoding cannot hold what it decoded");
    if (written != bytes) {
        const QByteArray& trailer = doc.layout.trailingBytes;
        const QByteArray body = bytes.chopped(trailer.size());
        check(written == body + finalBreak(doc.layout) + trailer,
              "decode then encode changed more than a final break");
    }
    check(!firstUnencodable({QStringView(doc.text)}, doc.layout),
          "a decoded character unencodable");
    box->setPlainText(doc.text);
    check(box->toPlainText() == doc.text, "the editing box changed the text");
    check(encodeDocument(box->buffer().parts(), doc.layout) == written,
          "saving from the box's pieces");
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
    checkDocument(bytes, decodeDocument(bytes));
    if (bytes.isEmpty())
        return 0;
    const auto encodings = textEncodings();
    const EncodingInfo& info = encodings[size_t(uchar(bytes[0])) % encodings.size()];
    const QByteArray rest = bytes.sliced(1);
    if (const auto doc = decodeDocumentAs(rest, info.encoding)) {
        check(doc->layout.encoding == info.encoding, "read in another encoding than asked");
        checkDocument(rest, *doc);
    } else {
        check(info.encoding == TextEncoding::Iso2022Jp, "an encoding refused to read bytes");
    }
    return 0;
}
