#pragma once

#include "document/TextEncodings.h"

#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// How a document's bytes become the editing box's text and back. The promise: decoding a file
// and encoding the unchanged text gives back exactly the file's bytes whenever the file ended
// with a line break; a file without one gains exactly one, in the file's encoding. Bytes the
// encoding does not decode become byte marks (CodePage.h) and are written back as they were.
//
// Which encoding a file is read in, first rule that fits:
// 1. a byte-order mark: UTF-32 (FF FE 00 00 only when every unit is a character), UTF-16, UTF-8;
// 2. strict UTF-8;
// 3. UTF-16 without a mark, when a quarter or more of the first 64 KiB's units have a zero
//    byte, nearly all on the same side, and the file has an even length;
// 4. UTF-8 with byte marks, when its valid multi-byte sequences are at least twice as many as
//    the bytes that start none (counted until 4096 of either are seen), so that a few stray
//    bytes never turn a UTF-8 file into another encoding;
// 5. the legacy code page: the detector's, when it is sure, else the locale's (TextEncodings.h).

// Everything besides the text that is needed to write a document back as it was read.
struct DocumentLayout {
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;
    // The line break written at the end and for breaks the file did not have: CR LF for a new
    // document, the file's own style otherwise.
    QByteArray defaultBreak = QByteArrayLiteral("\r\n");
    // The style of each line break of the text, in order, as read from the file; opaque to
    // everyone but the format.
    QByteArray breakStyles;
    // Bytes after the last whole unit of a UTF-16 or UTF-32 file (an odd byte), written back
    // after the final break.
    QByteArray trailingBytes;
};

// A text held in consecutive pieces (an editing buffer's), each UTF-16 or Latin-1, read as one.
using TextParts = std::vector<QAnyStringView>;

struct DecodedDocument {
    QString text; // line breaks as '\n'; the final line break of the file removed
    DocumentLayout layout;
};

// The same text in Latin-1 (one byte per character), for documents whose characters all fit:
// half the memory of UTF-16 and half the writing.
struct CompactDocument {
    QByteArray latin1; // line breaks as '\n'; the final line break of the file removed
    DocumentLayout layout;
};

DocumentLayout newDocumentLayout();
DecodedDocument decodeDocument(const QByteArray& bytes);
// The file read in the encoding given, whatever its bytes suggest (a mark of that encoding is
// still taken as one); std::nullopt only when ISO-2022-JP would not write the same bytes back.
std::optional<DecodedDocument> decodeDocumentAs(const QByteArray& bytes, TextEncoding encoding);
// The layout a file's bytes suggest for text added at its end: its encoding (without a mark)
// and its most common line break; a new document's for an empty file.
DocumentLayout appendLayout(const QByteArray& bytes);
// A layout's text written as UTF-8 instead: line breaks as they were, no mark.
DocumentLayout utf8Layout(DocumentLayout layout);

// The first character that the layout's encoding cannot hold, and its line (from 1).
struct Unencodable {
    char32_t character = 0;
    qint64 line = 0;
};
std::optional<Unencodable> firstUnencodable(const TextParts& text, const DocumentLayout& layout);

// The document in Latin-1 when it is UTF-8 holding only characters below U+0100 (the same text
// and layout decodeDocument gives); std::nullopt otherwise.
std::optional<CompactDocument> decodeCompactDocument(const QByteArray& bytes);
// Text with '\n' line breaks to bytes, followed by one final line break. Null when the layout's
// encoding cannot hold a character: nothing is ever written in another encoding unasked.
QByteArray encodeDocument(const QString& text, const DocumentLayout& layout);
QByteArray encodeDocument(const TextParts& text, const DocumentLayout& layout);
// Receives encoded bytes a piece at a time, in order; it may take the piece's storage. Answering
// false stops the encoding.
using ByteSink = std::function<bool(QByteArray& piece)>;
// The same bytes as encodeDocument, handed to sink in pieces of about pieceSize bytes (or more)
// as they are made, so that writing can begin before the whole is encoded and no copy of the
// whole is held. False when the sink stopped it or the encoding cannot hold the text.
bool encodeDocument(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                    const ByteSink& sink);
