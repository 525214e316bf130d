#include "document/DocumentFile.h"

#include "document/FileErrors.h"
#include "document/FileReach.h"
#include "document/InPlaceWrite.h"
#include "document/PosixFile.h"
#include "document/TemporaryFile.h"

#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <exception>
#include <fcntl.h>
#include <new>
#include <stdio.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// The I/O is done with POSIX calls so that each failure's errno is read right where it
// happened and the file and its folder can be synced. Writes reach their file only through
// descriptors (FileReach.h): no path is looked at twice.

namespace {

const QString readSource = QStringLiteral("Read file");
const QString saveSource = QStringLiteral("Save file");

// Another name appeared where none was (someone made one meanwhile): the walk starts again, a
// few times, and then gives up.
constexpr int tryAgain = -102;

// The file a rename is about to replace, held open so that the rename only unlinks it; freeing
// its blocks (tens of milliseconds for a large file) then happens when the handle is let go,
// off the save's path.
void letGoOfReplaced(int fd) {
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::exception&) { // no thread to be had
        ::close(fd);
    }
}

// Puts the temporary in the target's place. A name that did not exist is never replaced: one
// that appeared meanwhile may be a file another user planted, so the walk starts again.
int putInPlace(ReachedFile& target, const QByteArray& temp) {
    const int folder = target.folder;
    if (target.exists())
        return ::renameat(folder, temp.constData(), folder, target.name.constData()) == 0 ? 0
                                                                                          : errno;
    if (::renameat2(folder, temp.constData(), folder, target.name.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno == EEXIST)
        return tryAgain;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: a new link never replaces either.
    if (::linkat(folder, temp.constData(), folder, target.name.constData(), 0) != 0)
        return errno == EEXIST ? tryAgain : errno;
    ::unlinkat(folder, temp.constData(), 0);
    return 0;
}

// One attempt at replacing the reached file.
int replaceReached(ReachedFile& target, const ByteSource& source, const ByteProgress& progress,
                   WriteStamps* stamps, bool& inPlace) {
    inPlace = false;
    const struct stat& old = target.info;
    const bool exists = target.exists();
    // Only an ordinary file is replaced, and it must be writable, as it would have to be if it
    // were overwritten in place. It keeps its permission bits, owner, group, attributes and
    // links.
    if (exists) {
        if (foreignInSharedFolder(target, old))
            return FileCause::ForeignFile;
        if (const int cause = notAFileCause(old.st_mode))
            return cause;
        if (stamps && stamps->unchangedSince.isValid() && stampOf(old) != stamps->unchangedSince)
            return FileCause::ChangedSince;
        if (::faccessat(target.folder, target.name.constData(), W_OK,
                        AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
    }
    mode_t mode = 0666;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    // A rename cannot keep the other names of a file with hard links.
    if (exists && old.st_nlink > 1) {
        inPlace = true;
        return 0;
    }
    QByteArray temp;
    int lock = -1;
    int error =
        writeTemporary(target.folder, namedAfter(target.folder, ".", target.name, temporarySuffix),
                       source, mode, exists ? &old : nullptr, target.file, temp, lock, progress);
    if (!error) {
        struct stat written {};
        if (stamps && ::fstat(lock, &written) == 0)
            stamps->written = stampOf(written);
        error = putInPlace(target, temp);
        if (error) {
            ::unlinkat(target.folder, temp.constData(), 0);
            // A sticky folder, or a file mounted on its own.
            if (exists && (error == EACCES || error == EPERM || error == EBUSY))
                error = cannotKeep;
        }
    }
    if (lock >= 0)
        ::close(lock);
    if (!error) {
        syncFolder(target.folder);
        letGoOfReplaced(std::exchange(target.file, -1));
    }
    if (error == cannotKeep && exists) {
        inPlace = true;
        return 0;
    }
    return error;
}

// Reaches the file at path and hands it to attempt, again when a name appeared meanwhile.
std::optional<Failure>
withReached(const QString& path,
            const std::function<std::optional<Failure>(ReachedFile&, int& error)>& attempt) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, saveSource, path, FileAction::Write);
    int error = 0;
    // Someone who plants and removes the name in a loop can fall into step with the walk; a short
    // random pause between rounds breaks the step, so only a name that stays there fails a save.
    for (int round = 0; round < 64; ++round) {
        if (round > 0)
            std::this_thread::sleep_for(
                std::chrono::microseconds(QRandomGenerator::global()->bounded(50, 500)));
        ReachedFile target;
        error = reachFile(nativePath(path), target);
        if (error)
            break;
        auto failure = attempt(target, error);
        if (failure || error != tryAgain) {
            if (!failure && !error)
                removeLeftovers(target.folder);
            return failure ? failure
                   : error ? std::optional(fileFailure(error, saveSource, path, FileAction::Write))
                           : std::nullopt;
        }
    }
    return fileFailure(error == tryAgain ? EAGAIN : error, saveSource, path, FileAction::Write);
}

std::optional<Failure> replaceReachedFile(const QString& path, ReachedFile& target, int& error,
                                          const ByteSource& source, const ByteProgress& progress,
                                          WriteStamps* stamps) {
    bool inPlace = false;
    error = replaceReached(target, source, progress, stamps, inPlace);
    if (!error && inPlace)
        return replaceInPlace(path, target, source, progress, stamps);
    return std::nullopt;
}

} // namespace

std::optional<Failure> readDocumentFile(const QString& path, QByteArray& bytes,
                                        const ByteProgress& progress, FileStamp* stamp) {
    if (!isUsableFileName(path))
        return fileFailure(EINVAL, readSource, path, FileAction::Read);
    // Opened without waiting, as a named pipe would have it wait for a writer, and then checked
    // through the descriptor: what is checked is what is read.
    const int fd =
        ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fileFailure(errno, readSource, path, FileAction::Read);
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : notAFileCause(info.st_mode);
    if (!error && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (!error && info.st_size > maxDocumentBytes)
        error = EFBIG;
    if (!error)
        error = readAll(fd, info.st_size, bytes, progress);
    // The stamp from before the read: a writer busy meanwhile leaves another, so a later save
    // asks rather than overwrites what it wrote.
    if (!error && stamp)
        *stamp = stampOf(info);
    ::close(fd);
    if (error)
        return fileFailure(error, readSource, path, FileAction::Read);
    return std::nullopt;
}

std::optional<Failure> replaceFile(const QString& path, const QByteArray& bytes,
                                   const ByteProgress& progress, WriteStamps* stamps) {
    return replaceFile(
        path, [&bytes](const ByteWriter& write) { return write(bytes); }, progress, stamps);
}

std::optional<Failure> replaceFile(const QString& path, const ByteSource& source,
                                   const ByteProgress& progress, WriteStamps* stamps) {
    return withReached(path, [&](ReachedFile& target, int& error) {
        return replaceReachedFile(path, target, error, source, progress, stamps);
    });
}

std::optional<Failure> appendToFile(const QString& path, const QByteArray& bytes) {
    return withReached(path, [&](ReachedFile& target, int& error) -> std::optional<Failure> {
        // The old bytes are read from the very file that is then replaced. A missing file is
        // created.
        QByteArray old;
        if (target.exists() && !foreignInSharedFolder(target, target.info) &&
            !notAFileCause(target.info.st_mode)) {
            const int fd = ::openat(target.folder, target.name.constData(),
                                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            struct stat info {};
            if (fd < 0 || ::fstat(fd, &info) != 0)
                error = errno;
            else if (info.st_dev != target.info.st_dev || info.st_ino != target.info.st_ino)
                error = tryAgain;
            else
                error = readAll(fd, info.st_size, old, {});
            if (fd >= 0)
                ::close(fd);
            if (error)
                return error == tryAgain
                           ? std::nullopt
                           : std::optional(fileFailure(error, readSource, path, FileAction::Read));
        }
        try {
            const QByteArray all = old + bytes;
            old = QByteArray();
            return replaceReachedFile(
                path, target, error, [&all](const ByteWriter& write) { return write(all); }, {},
                nullptr);
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
            return std::nullopt;
        }
    });
}
