#pragma once

#include "document/DocumentFile.h"

#include <QByteArray>
#include <QString>

// Small POSIX helpers of the file layer. Each failing one leaves errno as its call set it.

QByteArray nativePath(const QString& path);

// Chunks between progress reports: small enough to answer a cancel at once.
inline constexpr qsizetype progressChunk = qsizetype(16) << 20;

// Writes all bytes at the file's offset, reporting progress between chunks; a progress answer
// of false stops it with ECANCELED.
bool writeAll(int fd, const char* data, qsizetype size, const ByteProgress& progress = {});

// Writes what the source makes at the file's offset, reporting the bytes written so far between
// chunks; answers the bytes written, or -1 with errno set (ECANCELED when the source gave up or
// progress said stop).
qint64 writeFrom(int fd, const ByteSource& source, const ByteProgress& progress);

// Makes a rename or a new name in the folder (a descriptor, O_PATH will do) last through a
// crash. A file system that cannot sync folders is no failure.
void syncFolder(int folder);

// Reads the whole open file into bytes, reporting progress between chunks; answers 0 or an
// errno (EFBIG past maxDocumentBytes, ECANCELED when progress said stop).
int readAll(int fd, qint64 sizeHint, QByteArray& bytes, const ByteProgress& progress);
