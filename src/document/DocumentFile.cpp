#include "document/DocumentFile.h"

#include "basics/HugePages.h"
#include "document/FileErrors.h"
#include "document/InPlaceWrite.h"
#include "document/PosixFile.h"
#include "document/TemporaryFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <exception>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The I/O is done with POSIX calls so that each failure's errno is read right where it
// happened and the file and its folder can be synced.

namespace {

const QString readSource = QStringLiteral("Read file");
const QString saveSource = QStringLiteral("Save file");

// The kernel's fs.protected_symlinks rule, which does not guard us because we read links
// ourselves: in a sticky folder that anyone may write (/tmp), a link is followed only when we
// or the folder's owner own it. Otherwise anyone could point "notes.txt" there at our files.
bool plantedLink(const QString& link) {
    struct stat linkInfo {
    }, folderInfo{};
    if (::lstat(nativePath(link).constData(), &linkInfo) != 0 ||
        ::stat(nativePath(QFileInfo(link).absolutePath()).constData(), &folderInfo) != 0)
        return false;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (folderInfo.st_mode & shared) == shared && linkInfo.st_uid != folderInfo.st_uid &&
           linkInfo.st_uid != ::geteuid();
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
        if (plantedLink(current)) {
            error = FileCause::PlantedLink;
            return current;
        }
        const QString next = QFile::decodeName(QByteArray(target, n));
        current =
            QFileInfo(next).isAbsolute() ? next : QFileInfo(current).absolutePath() + u'/' + next;
    }
    error = ELOOP;
    return current;
}

// The file a rename is about to replace, held open so that the rename only unlinks it; freeing
// its blocks (tens of milliseconds for a large file) then happens when the handle is let go,
// off the save's path.
int holdReplaced(const QByteArray& target) {
    return ::open(target.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
}

void letGoOfReplaced(int fd) {
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::exception&) { // no thread to be had
        ::close(fd);
    }
}

} // namespace

std::optional<Failure> readDocumentFile(const QString& path, QByteArray& bytes,
                                        const ByteProgress& progress) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, readSource, path, FileAction::Read);
    const QByteArray native = nativePath(path);
    // A named pipe or a device is refused before it is opened, and opened without waiting in
    // case it was swapped in meanwhile: opening a pipe blocks until someone writes to it.
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && notAFileCause(info.st_mode))
        return fileFailure(notAFileCause(info.st_mode), readSource, path, FileAction::Read);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fileFailure(errno, readSource, path, FileAction::Read);
    auto fail = [&](int error) {
        ::close(fd);
        return fileFailure(error, readSource, path, FileAction::Read);
    };
    if (::fstat(fd, &info) != 0)
        return fail(errno);
    if (const int cause = notAFileCause(info.st_mode))
        return fail(cause);
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        return fail(errno);
    if (info.st_size > maxDocumentBytes)
        return fail(EFBIG);
    QByteArray data;
    try {
        // Files under /proc say 0 and have more: the buffer grows as they are read.
        data.resize(qsizetype(info.st_size) + 1);
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
    return replaceFile(
        path, [&bytes](const ByteWriter& write) { return write(bytes); }, progress);
}

std::optional<Failure> replaceFile(const QString& path, const ByteSource& source,
                                   const ByteProgress& progress) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, saveSource, path, FileAction::Write);
    int linkError = 0;
    const QString target = resolveLinks(path, linkError);
    if (linkError)
        return fileFailure(linkError, saveSource, path, FileAction::Write);
    const QByteArray nativeTarget = nativePath(target);

    // Only an ordinary file is replaced, and it must be writable, as it would have to be if it
    // were overwritten in place. It keeps its permission bits, owner, group, attributes and
    // links.
    struct stat old {};
    const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return fileFailure(errno, saveSource, path, FileAction::Write);
    if (exists && notAFileCause(old.st_mode))
        return fileFailure(notAFileCause(old.st_mode), saveSource, path, FileAction::Write);
    if (exists && ::faccessat(AT_FDCWD, nativeTarget.constData(), W_OK, AT_EACCESS) != 0)
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
    const QByteArray folder = nativePath(info.absolutePath());
    const QByteArray fileName = nativePath(info.fileName());
    // A rename cannot keep the other names of a file with hard links.
    int error = exists && old.st_nlink > 1 ? cannotKeep : 0;
    if (!error) {
        QByteArray temp;
        int lock = -1;
        error = writeTemporary(folder, namedAfter(folder, ".", fileName, temporarySuffix), source,
                               mode, exists ? &old : nullptr, nativeTarget, temp, lock, progress);
        const int replaced = error || !exists ? -1 : holdReplaced(nativeTarget);
        if (!error && ::rename(temp.constData(), nativeTarget.constData()) != 0) {
            error = errno;
            ::unlink(temp.constData());
            // A sticky folder, or a file mounted on its own.
            if (exists && (error == EACCES || error == EPERM || error == EBUSY))
                error = cannotKeep;
        }
        if (lock >= 0)
            ::close(lock);
        if (!error)
            syncFolder(folder);
        letGoOfReplaced(replaced);
    }
    if (error == cannotKeep) {
        if (auto failure = replaceInPlace(path, nativeTarget, folder, fileName, source, progress))
            return failure;
    } else if (error) {
        return fileFailure(error, saveSource, path, FileAction::Write);
    }
    removeLeftovers(folder);
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
