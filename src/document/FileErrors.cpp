#include "document/FileErrors.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool isUsableFileName(const QString& path) {
    return !path.isEmpty() && !path.contains(QChar(0));
}

int notAFileCause(unsigned mode) {
    if (S_ISREG(mode))
        return 0;
    if (S_ISDIR(mode))
        return EISDIR;
    if (S_ISFIFO(mode))
        return FileCause::NamedPipe;
    if (S_ISSOCK(mode))
        return FileCause::Socket;
    return FileCause::Device;
}

namespace {

int numberFor(int error, const QString& path, FileAction action) {
    switch (error) {
    case ENOENT: {
        const QFileInfo folder(QFileInfo(path).absolutePath());
        return folder.isDir() ? FileError::FileNotFound : FileError::PathNotFound;
    }
    case ENOTDIR:
        return FileError::PathNotFound;
    case EACCES:
    case EPERM:
    case FileCause::PlantedLink:
    case FileCause::ForeignFile:
        return FileError::PermissionDenied;
    case FileCause::ChangedSince:
        return FileError::ChangedSince;
    case ENOSPC:
    case EDQUOT:
        return FileError::DiskFull;
    case EFBIG:
        return action == FileAction::Read ? FileError::OutOfMemory : FileError::DiskFull;
    case EIO:
        return FileError::DeviceIo;
    case ENOMEM:
        return FileError::OutOfMemory;
    case EINVAL:
    case ENAMETOOLONG:
        return FileError::BadFileName;
    default: // EISDIR, EROFS, ELOOP, EBUSY, ETXTBSY and the rest
        return FileError::PathFileAccess;
    }
}

QString sentenceFor(int number, int error, const QString& path, FileAction action) {
    const QString quoted = u'"' + path + u'"';
    const QString verb =
        action == FileAction::Read ? QStringLiteral("read") : QStringLiteral("written");
    switch (number) {
    case FileError::FileNotFound:
        return QStringLiteral("The file %1 does not exist.").arg(quoted);
    case FileError::PathNotFound:
        return QStringLiteral("The folder of the file %1 does not exist.").arg(quoted);
    case FileError::PermissionDenied:
        if (error == FileCause::PlantedLink)
            return QStringLiteral("The file %1 is a link that another user put in a shared "
                                  "folder. It is not followed, and nothing was written.")
                .arg(quoted);
        if (error == FileCause::ForeignFile)
            return QStringLiteral("The file %1 belongs to another user and lies in a shared "
                                  "folder. It is not written into, and nothing was written.")
                .arg(quoted);
        return QStringLiteral("Permission was denied: the file %1 cannot be %2.").arg(quoted, verb);
    case FileError::ChangedSince:
        return QStringLiteral("The file %1 was changed by another program.").arg(quoted);
    case FileError::DiskFull:
        return QStringLiteral("The disk is full: the file %1 cannot be written.").arg(quoted);
    case FileError::DeviceIo:
        return QStringLiteral("A device error happened while the file %1 was %2.")
            .arg(quoted, verb);
    case FileError::OutOfMemory:
        if (error == EFBIG)
            return QStringLiteral("The file %1 is too large to open: files of up to %2 MB open.")
                .arg(quoted)
                .arg(maxDocumentBytes >> 20);
        return QStringLiteral("There is not enough memory for the file %1.").arg(quoted);
    case FileError::BadFileName:
        return QStringLiteral("The name %1 is not a usable file name.").arg(quoted);
    default:
        if (error == EISDIR)
            return QStringLiteral("%1 is a folder, not a file.").arg(quoted);
        if (error == FileCause::NamedPipe || error == FileCause::Socket ||
            error == FileCause::Device) {
            const QString kind = error == FileCause::NamedPipe ? QStringLiteral("a named pipe")
                                 : error == FileCause::Socket  ? QStringLiteral("a socket")
                                                               : QStringLiteral("a device");
            return QStringLiteral("%1 is %2, not an ordinary file: only ordinary files can be %3.")
                .arg(quoted, kind,
                     action == FileAction::Read ? QStringLiteral("opened")
                                                : QStringLiteral("saved"));
        }
        if (error == EROFS)
            return QStringLiteral("The file %1 is on a read-only disk and cannot be written.")
                .arg(quoted);
        return QStringLiteral("The file %1 cannot be %2: %3.")
            .arg(quoted, verb, QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

Failure fileFailure(int error, const QString& source, const QString& path, FileAction action) {
    const int number = numberFor(error, path, action);
    return {number, source, sentenceFor(number, error, path, action)};
}

std::optional<Failure> refuseUnopenable(qint64 bytes, const QString& source, const QString& path) {
    if (bytes <= maxDocumentBytes)
        return std::nullopt;
    const auto megabytes = [](qint64 n) { return QString::number((n + (1 << 20) - 1) >> 20); };
    return Failure{FileError::OutOfMemory, source,
                   QStringLiteral("The file \"%1\" would be %2 MB, more than the %3 MB that open "
                                  "again, so nothing was written. Remove some text and save "
                                  "again.")
                       .arg(path, megabytes(bytes), megabytes(maxDocumentBytes))};
}
