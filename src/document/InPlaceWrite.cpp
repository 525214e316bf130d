#include "document/InPlaceWrite.h"

#include "document/FileErrors.h"
#include "document/FileReach.h"
#include "document/InterruptedSave.h"
#include "document/PosixFile.h"
#include "document/TemporaryFile.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString saveSource = QStringLiteral("Save file");

// Copies from's bytes, from its start, over to's start; to ends where from ends.
bool copyBytes(int from, int to) {
    constexpr size_t chunk = size_t(1) << 20;
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk]);
    if (!buffer) {
        errno = ENOMEM;
        return false;
    }
    off_t at = 0;
    while (true) {
        const ssize_t n = ::pread(from, buffer.get(), chunk, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (::lseek(to, at, SEEK_SET) < 0 || !writeAll(to, buffer.get(), n))
            return false;
        at += n;
    }
    return ::ftruncate(to, at) == 0;
}

// A private file for the old bytes: beside the target, or in the state folder when the
// target's folder may not be written. backupFolder is left holding the folder it is in, and name
// its name there.
int createBackup(int folder, const QByteArray& fileName, int& backupFolderFd, QByteArray& name) {
    static const QByteArray suffix = QByteArrayLiteral(".notavo-backup-XXXXXX");
    backupFolderFd = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (backupFolderFd < 0)
        return -1;
    int fd = createUnique(backupFolderFd, name, namedAfter(folder, ".", fileName, suffix), 0600);
    if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS))
        return fd;
    ::close(backupFolderFd);
    const QString home = backupFolder();
    if (stateFolder(true).isEmpty() || !QDir().mkpath(home) ||
        ::chmod(nativePath(home).constData(), 0700) != 0)
        return backupFolderFd = -1;
    backupFolderFd =
        ::open(nativePath(home).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (backupFolderFd < 0)
        return -1;
    fd = createUnique(backupFolderFd, name, namedAfter(backupFolderFd, {}, fileName, suffix), 0600);
    return fd;
}

} // namespace

QString backupFolder() {
    return stateFolder(false) + QLatin1String("/backups");
}

std::optional<Failure> replaceInPlace(const QString& path, const ReachedFile& target,
                                      const ByteSource& source, const ByteProgress& progress,
                                      WriteStamps* stamps) {
    auto failure = [&](int error) {
        return fileFailure(error, saveSource, path, FileAction::Write);
    };
    // The file checked is the file written: every check is made on this descriptor.
    const int fd = ::openat(target.folder, target.name.constData(),
                            O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    struct stat info {};
    int cause = ::fstat(fd, &info) != 0 ? errno : notAFileCause(info.st_mode);
    if (!cause && foreignInSharedFolder(target, info))
        cause = FileCause::ForeignFile;
    if (!cause && stamps && stamps->unchangedSince.isValid() &&
        stampOf(info) != stamps->unchangedSince)
        cause = FileCause::ChangedSince;
    if (cause) {
        ::close(fd);
        return failure(cause);
    }
    QByteArray backupName;
    int backupFolderFd = -1;
    const int backup = createBackup(target.folder, target.name, backupFolderFd, backupName);
    if (backup < 0) {
        const int error = errno;
        ::close(fd);
        if (backupFolderFd >= 0)
            ::close(backupFolderFd);
        return Failure{
            fileFailure(error, saveSource, path, FileAction::Write).number, saveSource,
            QStringLiteral("The file \"%1\" was not changed: a copy of its old content "
                           "could not be made beside it or in %2 (%3).")
                .arg(path, backupFolder(), QString::fromLocal8Bit(std::strerror(error)))};
    }
    const QString kept = QFile::decodeName(pathOf(backupFolderFd, backupName));
    QString recordPath;
    int intent = -1;
    // Complete or undone, the record goes first: a record always has its backup.
    auto finish = [&](int error) {
        dropIntent(intent, recordPath);
        ::close(backup);
        ::close(fd);
        ::unlinkat(backupFolderFd, backupName.constData(), 0);
        ::close(backupFolderFd);
        return error ? std::optional<Failure>(failure(error)) : std::nullopt;
    };
    if (!copyBytes(fd, backup) || ::fsync(backup) != 0)
        return finish(errno);
    syncFolder(backupFolderFd);
    // From here on the file changes; until its new bytes are synced the copy holds the old ones,
    // and the record says so should the program be cut off (InterruptedSave.h).
    intent = recordIntent(target.folder, target.name, info, kept, recordPath);
    qint64 written = -1;
    if (::lseek(fd, 0, SEEK_SET) == 0 && (written = writeFrom(fd, source, progress)) >= 0 &&
        ::ftruncate(fd, written) == 0 && ::fsync(fd) == 0) {
        if (stamps && ::fstat(fd, &info) == 0)
            stamps->written = stampOf(info);
        return finish(0);
    }
    const int error = errno;
    if (copyBytes(backup, fd) && ::fsync(fd) == 0)
        return finish(error);
    // The failure names the copy; a record kept could later offer it over a newer save.
    dropIntent(intent, recordPath);
    ::close(backup);
    ::close(fd);
    ::close(backupFolderFd);
    Failure keptFailure = failure(error);
    keptFailure.description += QStringLiteral(" Its old content could not be put back: it is "
                                              "kept in \"%1\".")
                                   .arg(kept);
    return keptFailure;
}
