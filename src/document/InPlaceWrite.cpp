#include "document/InPlaceWrite.h"

#include "document/FileErrors.h"
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
// target's folder may not be written.
int createBackup(const QByteArray& folder, const QByteArray& fileName, QByteArray& name) {
    static const QByteArray suffix = QByteArrayLiteral(".notavo-backup-XXXXXX");
    name = namedAfter(folder, ".", fileName, suffix);
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS))
        return fd;
    const QString home = backupFolder();
    if (!QDir().mkpath(home) || ::chmod(nativePath(home).constData(), 0700) != 0)
        return -1;
    name = namedAfter(nativePath(home), {}, fileName, suffix);
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    return fd;
}

} // namespace

QString backupFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QLatin1String("/.local/state");
    return state + QLatin1String("/notavo/backups");
}

std::optional<Failure> replaceInPlace(const QString& path, const QByteArray& target,
                                      const QByteArray& folder, const QByteArray& fileName,
                                      const ByteSource& source, const ByteProgress& progress) {
    auto failure = [&](int error) {
        return fileFailure(error, saveSource, path, FileAction::Write);
    };
    const int fd =
        ::open(target.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    struct stat info {};
    const int cause = ::fstat(fd, &info) != 0 ? errno : notAFileCause(info.st_mode);
    if (cause) {
        ::close(fd);
        return failure(cause);
    }
    QByteArray backupName;
    const int backup = createBackup(folder, fileName, backupName);
    if (backup < 0) {
        const int error = errno;
        ::close(fd);
        return Failure{
            fileFailure(error, saveSource, path, FileAction::Write).number, saveSource,
            QStringLiteral("The file \"%1\" was not changed: a copy of its old content "
                           "could not be made beside it or in %2 (%3).")
                .arg(path, backupFolder(), QString::fromLocal8Bit(std::strerror(error)))};
    }
    auto finish = [&](int error) {
        ::close(backup);
        ::close(fd);
        ::unlink(backupName.constData());
        return error ? std::optional<Failure>(failure(error)) : std::nullopt;
    };
    if (!copyBytes(fd, backup) || ::fsync(backup) != 0)
        return finish(errno);
    syncFolder(backupName.left(backupName.lastIndexOf('/')));
    // From here on the file changes; until its new bytes are synced the copy holds the old ones.
    qint64 written = -1;
    if (::lseek(fd, 0, SEEK_SET) == 0 && (written = writeFrom(fd, source, progress)) >= 0 &&
        ::ftruncate(fd, written) == 0 && ::fsync(fd) == 0)
        return finish(0);
    const int error = errno;
    if (copyBytes(backup, fd) && ::fsync(fd) == 0)
        return finish(error);
    ::close(backup);
    ::close(fd);
    Failure kept = failure(error);
    kept.description += QStringLiteral(" Its old content could not be put back: it is kept in "
                                       "\"%1\".")
                            .arg(QFile::decodeName(backupName));
    return kept;
}
