#include "document/PosixFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
