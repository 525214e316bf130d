#pragma once

#include "basics/Failure.h"
#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"
#include "document/FileStamp.h"
#include "text/TextBuffer.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

// A document's own reads and writes: the bytes through the format, the format through the
// file layer. Each runs whole on whatever thread calls it, so long work can hand it to a worker.

// Told how far the work got, in the function's own units; false stops it, and whatever it
// answers then (a failure) is to be thrown away.
using WorkProgress = std::function<bool(qint64 done)>;

// A file read and decoded in the layout that writes it back, with the stamp it had.
struct OpenedDocument {
    TextBuffer text;
    DocumentLayout layout;
    FileStamp stamp;
};

// Reads and decodes the file at path, of about size bytes. Progress runs to twice the size:
// reading is the first half, decoding the second.
[[nodiscard]] std::variant<OpenedDocument, Failure> openDocument(const QString& path, qint64 size,
                                                                 const WorkProgress& progress = {});

// The file at path read again, to be read in another encoding: whether text differs from what
// the file reads as in the present encoding (reading it again would lose edits), and the file
// decoded in the wanted one, or std::nullopt when that would not write its bytes back.
struct RereadDocument {
    bool textChanged = false;
    std::optional<DecodedDocument> decoded;
};
[[nodiscard]] std::variant<RereadDocument, Failure> rereadDocumentAs(const QString& path,
                                                                     const TextBuffer& text,
                                                                     TextEncoding present,
                                                                     TextEncoding wanted);

// Writes the text in its layout over the file at path (DocumentFile.h's replaceFile says how);
// nothing too large to open again. With unchangedSince valid, a file another program changed
// since is left alone (FileError::ChangedSince). Progress is told the bytes written. Answers the
// stamp of the file written.
[[nodiscard]] std::variant<FileStamp, Failure>
saveDocument(const QString& path, const TextBuffer& text, const DocumentLayout& layout,
             const FileStamp& unchangedSince = {}, const WorkProgress& progress = {});

// Decodes a file's bytes and writes them to path as a document is written, so that a file
// ending in a line break keeps its bytes and one without gains exactly one. The bytes are let
// go once decoded. Progress runs to twice their size: decoding, then writing.
[[nodiscard]] std::optional<Failure> writeAsDocument(const QString& path, QByteArray bytes,
                                                     const WorkProgress& progress = {});

// The file a document is added to: its bytes and the layout an addition to it takes (the
// document's own for an empty or missing file).
struct AppendTarget {
    QByteArray old;
    DocumentLayout layout;
};
[[nodiscard]] std::variant<AppendTarget, Failure> readAppendTarget(const QString& path,
                                                                   const DocumentLayout& own);
// Adds the text at the end of the target file at path, in the target's layout. asUtf8 (for a
// text that layout cannot hold) rewrites the whole file as UTF-8 with the text after it instead,
// so that a file never holds two encodings. Either all of it is written or the file is as it
// was.
[[nodiscard]] std::optional<Failure> appendDocument(const QString& path, const TextParts& text,
                                                    const AppendTarget& target, bool asUtf8);
