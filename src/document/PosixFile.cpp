#include "document/PosixFile.h"

#include "basics/HugePages.h"
#include "document/FileErrors.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, const char* data, qsizetype size, const ByteProgress& progress) {
    qint64 written = 0;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min(size, progressChunk)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        // The disk starts on what is written while the rest is made and copied, so that the
        // sync at the end has little left to wait for. Only a hint: the fsync still decides.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        data += n;
        size -= n;
        written += n;
        if (progress && !progress(written)) {
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}

qint64 writeFrom(int fd, const ByteSource& source, const ByteProgress& progress) {
    qint64 written = 0;
    int error = 0;
    const bool complete = source([&](QByteArrayView piece) {
        const qint64 before = written;
        const bool done = writeAll(fd, piece.data(), piece.size(), [&](qint64 n) {
            written = before + n;
            return !progress || progress(written);
        });
        if (!done)
            error = errno;
        written = before + (done ? piece.size() : 0);
        return done;
    });
    if (complete)
        return written;
    errno = error ? error : ECANCELED;
    return -1;
}

void syncFolder(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

int readAll(int fd, qint64 sizeHint, QByteArray& bytes, const ByteProgress& progress) {
    QByteArray data;
    try {
        // Files under /proc say 0 and have more: the buffer grows as they are read.
        data.resize(qsizetype(sizeHint) + 1);
        adviseHugePages(data.data(), size_t(data.size()));
        qsizetype used = 0;
        while (true) {
            if (used == data.size()) {
                if (used > maxDocumentBytes)
                    return EFBIG;
                data.resize(std::min<qsizetype>(used * 2 + 4096, maxDocumentBytes + 1));
            }
            const ssize_t n =
                ::read(fd, data.data() + used, size_t(std::min(data.size() - used, progressChunk)));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (n == 0)
                break;
            used += n;
            if (progress && !progress(used))
                return ECANCELED;
        }
        if (used > maxDocumentBytes)
            return EFBIG;
        data.truncate(used);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    bytes = std::move(data);
    return 0;
}
