#pragma once

#include "app/Failure.h"

#include <QString>

// The stable numbers of file failures (docs/error-numbers.md lists them for bug reports).
namespace FileError {
inline constexpr int OutOfMemory = 7;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIo = 57;
inline constexpr int DiskFull = 61;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
} // namespace FileError

// The largest file that opens. The editing box holds about 10 bytes of memory per byte of a
// document (measured by bench_documents), and decoding and saving briefly need a few more, so
// 256 MiB keeps a document below about 4 GB of memory and well inside the editing box's int
// positions.
inline constexpr qint64 maxDocumentBytes = qint64(256) << 20;

enum class FileAction { Read, Write };

// Not empty and free of NUL characters, which no file name can hold.
bool isUsableFileName(const QString& path);
// The failure for an errno of a read or write of the path, with a sentence naming it.
Failure fileFailure(int error, const QString& source, const QString& path, FileAction action);
