#pragma once

#include "basics/Failure.h"
#include "document/FileStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// File input and output for documents. Each answers std::nullopt on success, or the failure
// with its number (docs/error-numbers.md lists them), the operation as its source and a
// sentence naming the path.

// Told the bytes read or written so far, between chunks; answering false stops the operation
// (the file is then left as it was, and the answer is a failure the caller can ignore).
using ByteProgress = std::function<bool(qint64 done)>;

// Reads the whole file; a file too large to hold in memory fails with number 7, a named pipe,
// socket or device at once with number 75. stamp, when given, gets the file's stamp.
[[nodiscard]] std::optional<Failure> readDocumentFile(const QString& path, QByteArray& bytes,
                                                      const ByteProgress& progress = {},
                                                      FileStamp* stamp = nullptr);

// Replaces (or creates) the file atomically: a temporary file beside it, flushed to disk, then
// renamed over it, and the folder synced. On failure the old file is left byte for byte as it
// was. A symbolic link keeps pointing at its target, which gets the new bytes, unless another
// user planted it in a shared sticky folder. Nor is another user's file there written into
// (the kernel's protected_regular rule), nor a file planted there meanwhile: every name is
// reached through held folder descriptors (FileReach.h). Only an ordinary file is replaced; it
// keeps its permission bits, owner, group, ACLs and extended attributes. Where a rename cannot keep
// them, or its other hard links, or the folder may not be written, the file is written in place
// behind a copy of its old bytes (InPlaceWrite.h). What killed saves left in the folder goes.
// With stamps, a file whose stamp is no longer stamps->unchangedSince (when that is valid) is
// not written (FileError::ChangedSince), and stamps->written gets the stamp of what was written.
[[nodiscard]] std::optional<Failure> replaceFile(const QString& path, const QByteArray& bytes,
                                                 const ByteProgress& progress = {},
                                                 WriteStamps* stamps = nullptr);

// Takes the bytes of a file a piece at a time, in order; false means stop.
using ByteWriter = std::function<bool(QByteArrayView piece)>;
// Makes a file's bytes as they are written, handing them to write; false when it stopped early
// (write said to, or it gave up). It may be asked a second time, from the start.
using ByteSource = std::function<bool(const ByteWriter& write)>;
// The same, with the bytes made as they are written, so that the disk is busy while the rest is
// made and no copy of the whole is held. A source that stops early leaves the old file as it was.
[[nodiscard]] std::optional<Failure> replaceFile(const QString& path, const ByteSource& source,
                                                 const ByteProgress& progress = {},
                                                 WriteStamps* stamps = nullptr);

// Adds the bytes after the file's present content (creating it when missing), atomically too:
// either the whole new content is there or the old file is untouched.
[[nodiscard]] std::optional<Failure> appendToFile(const QString& path, const QByteArray& bytes);
