#pragma once

#include <QtGlobal>
#include <sys/stat.h>

// What a file was when it was last read or written, taken with fstat on the very descriptor that
// read or wrote it: a file with another stamp was changed (or replaced) by someone else since.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no file read or written
    qint64 seconds = 0;
    qint64 nanoseconds = 0;

    bool isValid() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

inline FileStamp stampOf(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec)};
}

// For a write: the stamp the file must still have (when valid) and, after success, the stamp of
// what was written.
struct WriteStamps {
    FileStamp unchangedSince;
    FileStamp written;
};
