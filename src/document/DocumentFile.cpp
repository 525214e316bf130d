#include "document/DocumentFile.h"

#include "document/FileErrors.h"
#include "platform/HugePages.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

// The I/O is done with POSIX calls so that each failure's errno is read right where it
// happened and the file and its folder can be synced.

namespace {

const QString readSource = QStringLiteral("Read file");
const QString saveSource = QStringLiteral("Save file");

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

// Follows symbolic links so that the target is replaced and the link kept.
QString resolveLinks(const QString& path, int& error) {
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(nativePath(current).constData(), target, sizeof target);
        if (n < 0) {
            error = errno == EINVAL || errno == ENOENT ? 0 : errno;
            return current;
        }
        const QString next = QFile::decodeName(QByteArray(target, n));
        current =
            QFileInfo(next).isAbsolute() ? next : QFileInfo(current).absolutePath() + u'/' + next;
    }
    error = ELOOP;
    return current;
}

// Chunks between progress reports: small enough to answer a cancel at once.
constexpr qsizetype progressChunk = qsizetype(16) << 20;

bool writeAll(int fd, const char* data, qsizetype size, const ByteProgress& progress) {
    qint64 written = 0;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min(size, progressChunk)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
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

struct Owner {
    bool keep;
    uid_t uid;
    gid_t gid;
};

constexpr int cannotLink = -1;

// Writes the bytes to a new file in the folder, synced, and names it after the pattern. With
// O_TMPFILE the file has no name until it is complete, so a process killed while writing
// leaves nothing behind. Answers 0, an errno, or cannotLink when the unnamed file could not be
// given a name (no /proc, say) and the named way must be taken.
int writeTemporary(const QByteArray& folder, const QByteArray& pattern, const QByteArray& bytes,
                   mode_t mode, const Owner& owner, bool unnamed, QByteArray& name,
                   const ByteProgress& progress) {
    name = pattern;
    int fd = -1;
    if (unnamed) {
        fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            return cannotLink;
    } else {
        fd = ::mkostemp(name.data(), O_CLOEXEC);
    }
    if (fd < 0)
        return errno;
    int error = 0;
    if (!writeAll(fd, bytes.constData(), bytes.size(), progress) || ::fchmod(fd, mode) != 0)
        error = errno;
    if (!error && owner.keep && (owner.uid != ::geteuid() || owner.gid != ::getegid()))
        [[maybe_unused]]
        const int ignored = ::fchown(fd, owner.uid, owner.gid);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    bool linked = false;
    if (!error && unnamed) {
        error = EEXIST;
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = pattern;
            for (qsizetype i = name.size() - 6; i < name.size(); ++i)
                name[i] =
                    "abcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(36)];
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0) {
                linked = true;
                error = 0;
                break;
            }
            if (errno != EEXIST) {
                error = errno == ENOENT || errno == EXDEV || errno == EPERM ? cannotLink : errno;
                break;
            }
        }
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error && (!unnamed || linked))
        ::unlink(name.constData());
    return error;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // the rename is done; a file system that cannot sync folders is no failure
    ::close(fd);
}

} // namespace

std::optional<Failure> readDocumentFile(const QString& path, QByteArray& bytes,
                                        const ByteProgress& progress) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, readSource, path, FileAction::Read);
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileFailure(errno, readSource, path, FileAction::Read);
    auto fail = [&](int error) {
        ::close(fd);
        return fileFailure(error, readSource, path, FileAction::Read);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(errno);
    if (S_ISDIR(info.st_mode))
        return fail(EISDIR);
    if (info.st_size > maxDocumentBytes)
        return fail(EFBIG);
    QByteArray data;
    try {
        // Regular files say their size; pipes and devices grow the buffer as they go.
        data.resize(qsizetype(S_ISREG(info.st_mode) ? info.st_size : 0) + 1);
        adviseHugePages(data.data(), size_t(data.size()));
        qsizetype used = 0;
        while (true) {
            if (used == data.size()) {
                if (used > maxDocumentBytes)
                    return fail(EFBIG);
                data.resize(std::min<qsizetype>(used * 2 + 4096, maxDocumentBytes + 1));
            }
            const ssize_t n =
                ::read(fd, data.data() + used, size_t(std::min(data.size() - used, progressChunk)));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return fail(errno);
            }
            if (n == 0)
                break;
            used += n;
            if (progress && !progress(used))
                return fail(ECANCELED);
        }
        if (used > maxDocumentBytes)
            return fail(EFBIG);
        data.truncate(used);
    } catch (const std::bad_alloc&) {
        return fail(ENOMEM);
    }
    ::close(fd);
    bytes = std::move(data);
    return std::nullopt;
}

std::optional<Failure> replaceFile(const QString& path, const QByteArray& bytes,
                                   const ByteProgress& progress) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, saveSource, path, FileAction::Write);
    int linkError = 0;
    const QString target = resolveLinks(path, linkError);
    if (linkError)
        return fileFailure(linkError, saveSource, path, FileAction::Write);
    const QByteArray nativeTarget = nativePath(target);

    // An existing file keeps its permission bits and, where allowed, its owner; and it must be
    // writable, as it would have to be if it were overwritten in place.
    struct stat old {};
    const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return fileFailure(errno, saveSource, path, FileAction::Write);
    if (exists && S_ISDIR(old.st_mode))
        return fileFailure(EISDIR, saveSource, path, FileAction::Write);
    if (exists && ::access(nativeTarget.constData(), W_OK) != 0)
        return fileFailure(errno, saveSource, path, FileAction::Write);
    mode_t mode = 0666;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    // Hidden, beside the target so that the rename stays on one file system; a long name is
    // left out so the temporary name cannot grow too long.
    const QString stem = info.fileName().size() > 200 ? QString() : info.fileName();
    const QByteArray tempPattern =
        nativePath(folder + QStringLiteral("/.") + stem + QStringLiteral(".notavo-XXXXXX"));
    const Owner owner{exists, old.st_uid, old.st_gid};
    QByteArray temp;
    int error =
        writeTemporary(nativePath(folder), tempPattern, bytes, mode, owner, true, temp, progress);
    if (error == cannotLink)
        error = writeTemporary(nativePath(folder), tempPattern, bytes, mode, owner, false, temp,
                               progress);
    if (!error && ::rename(temp.constData(), nativeTarget.constData()) != 0) {
        error = errno;
        ::unlink(temp.constData());
    }
    if (error)
        return fileFailure(error, saveSource, path, FileAction::Write);
    syncFolder(folder);
    return std::nullopt;
}

std::optional<Failure> appendToFile(const QString& path, const QByteArray& bytes) {
    QByteArray old;
    if (auto failure = readDocumentFile(path, old)) {
        // A missing file is created; any other failure keeps the file as it is.
        if (failure->number != FileError::FileNotFound)
            return failure;
        old.clear();
    }
    try {
        return replaceFile(path, old + bytes);
    } catch (const std::bad_alloc&) {
        return fileFailure(ENOMEM, saveSource, path, FileAction::Write);
    }
}
