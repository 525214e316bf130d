#pragma once

#include "basics/Failure.h"

#include <QString>
#include <optional>

// The stable numbers of file failures (docs/error-numbers.md lists them for bug reports).
namespace FileError {
inline constexpr int OutOfMemory = 7;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
// The document's encoding cannot hold a character of the text: nothing is written.
inline constexpr int CannotEncode = 54;
inline constexpr int DeviceIo = 57;
inline constexpr int DiskFull = 61;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
// Not an error shown: the file was changed by someone else since it was read or written.
inline constexpr int ChangedSince = 32756;
} // namespace FileError

// The largest file that opens. Opening needs about 3.5 bytes of memory per byte of a document
// at its peak (measured by bench_editing; twice that for text outside Latin-1), so 256 MiB stays
// below about 2 GB, and positions stay well inside the int offsets of Qt's accessibility and
// input-method interfaces.
inline constexpr qint64 maxDocumentBytes = qint64(256) << 20;

enum class FileAction { Read, Write };

// Causes of our own that fileFailure takes beside errno values (which are all positive).
namespace FileCause {
inline constexpr int NamedPipe = -1;
inline constexpr int Socket = -2;
inline constexpr int Device = -3;
// A link that another user put in a shared sticky folder such as /tmp: not followed.
inline constexpr int PlantedLink = -4;
// Another user's file in a shared sticky folder: perhaps made in advance to receive our text.
inline constexpr int ForeignFile = -5;
// Changed by someone else since it was read or written (FileError::ChangedSince).
inline constexpr int ChangedSince = -6;
} // namespace FileCause

// The cause for something that is not an ordinary file (a folder is EISDIR); 0 for a file.
int notAFileCause(unsigned mode);

// Not empty and free of NUL characters, which no file name can hold.
bool isUsableFileName(const QString& path);
// The failure for an errno of a read or write of the path, with a sentence naming it.
Failure fileFailure(int error, const QString& source, const QString& path, FileAction action);
// Nothing larger than maxDocumentBytes is written, so that every file written opens again: the
// failure (number 7) for a document of that many bytes, when it is too large.
[[nodiscard]] std::optional<Failure> refuseUnopenable(qint64 bytes, const QString& source,
                                                      const QString& path);
