#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// How a document's bytes become the editing box's text and back. The promise: decoding a file
// and encoding the unchanged text gives back exactly the file's bytes whenever the file ended
// with a line break; a file without one gains exactly one.
// UTF-16 is recognised by its byte-order mark alone, and kept with it.
enum class TextEncoding { Utf8, Windows1252, Utf16LittleEndian, Utf16BigEndian };

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
// The document in Latin-1 when it is UTF-8 holding only characters below U+0100 (the same text
// and layout decodeDocument gives); std::nullopt otherwise.
std::optional<CompactDocument> decodeCompactDocument(const QByteArray& bytes);
// Text with '\n' line breaks to bytes, followed by one final line break. A character the
// layout's single-byte encoding cannot hold makes the whole document UTF-8 (never "?").
QByteArray encodeDocument(const QString& text, const DocumentLayout& layout);
QByteArray encodeDocument(const TextParts& text, const DocumentLayout& layout);
// Receives encoded bytes a piece at a time, in order; it may take the piece's storage. Answering
// false stops the encoding.
using ByteSink = std::function<bool(QByteArray& piece)>;
// The same bytes as encodeDocument, handed to sink in pieces of about pieceSize bytes (or more)
// as they are made, so that writing can begin before the whole is encoded and no copy of the
// whole is held. False when the sink stopped it.
bool encodeDocument(const TextParts& text, const DocumentLayout& layout, qsizetype pieceSize,
                    const ByteSink& sink);
// The same, and a document that had to become UTF-8 stays UTF-8 in its layout from now on.
QByteArray encodeDocumentSettling(const QString& text, DocumentLayout& layout);
QByteArray encodeDocumentSettling(const TextParts& text, DocumentLayout& layout);
