#include "document/TemporaryFile.h"

#include "document/FileReach.h"
#include "document/PosixFile.h"

#include <QList>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr int cannotLink = -101;

QByteArray randomName(const QByteArray& pattern) {
    QByteArray name = pattern;
    for (qsizetype i = name.size() - 6; i < name.size(); ++i)
        name[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(36)];
    return name;
}

// The attribute names of a path (fd < 0) or an open file, without the NUL separators. A file
// system without attributes has none.
bool listAttributes(const QByteArray& path, int fd, QList<QByteArray>& names) {
    names.clear();
    QByteArray list;
    for (int attempt = 0; attempt < 4; ++attempt) {
        ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.constData(), nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        list.resize(size);
        size = fd >= 0 ? ::flistxattr(fd, list.data(), size_t(list.size()))
                       : ::listxattr(path.constData(), list.data(), size_t(list.size()));
        if (size >= 0) {
            list.truncate(size);
            for (const QByteArray& name : list.split('\0'))
                if (!name.isEmpty())
                    names.append(name);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

bool readAttribute(const QByteArray& path, int fd, const QByteArray& name, QByteArray& value) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        ssize_t size = fd >= 0 ? ::fgetxattr(fd, name.constData(), nullptr, 0)
                               : ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        size = fd >= 0 ? ::fgetxattr(fd, name.constData(), value.data(), size_t(value.size()))
                       : ::getxattr(path.constData(), name.constData(), value.data(),
                                    size_t(value.size()));
        if (size >= 0) {
            value.truncate(size);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

// Gives the temporary the old file's owner, group and extended attributes (an ACL is the
// attribute system.posix_acl_access), and takes away any it got that the old file has not (an
// ACL inherited from the folder), so that the rename changes none of them. The old file is read
// through its descriptor's /proc entry, which is that very file whatever its name now holds.
bool keepAttributes(int fd, const struct stat& old, int oldFile) {
    const QByteArray oldPath = "/proc/self/fd/" + QByteArray::number(oldFile);
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    QList<QByteArray> wanted, present;
    if (!listAttributes(oldPath, -1, wanted) || !listAttributes({}, fd, present))
        return false;
    for (const QByteArray& name : wanted) {
        QByteArray value, current;
        if (!readAttribute(oldPath, -1, name, value))
            return false;
        if (readAttribute({}, fd, name, current) && current == value)
            continue;
        if (::fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    for (const QByteArray& name : present)
        if (!wanted.contains(name) && ::fremovexattr(fd, name.constData()) != 0 && errno != ENODATA)
            return false;
    return true;
}

// One attempt, with an unnamed file (O_TMPFILE: a process killed while writing leaves nothing
// behind) or a named one. cannotLink: the unnamed file could not be given a name (no /proc, say)
// and the named way must be taken.
int writeOnce(int folder, const QByteArray& pattern, const ByteSource& source, mode_t mode,
              const struct stat* old, int oldFile, bool unnamed, QByteArray& name, int& lock,
              const ByteProgress& progress) {
    name = pattern;
    lock = -1;
    int fd = -1;
    if (unnamed) {
        fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            return cannotLink;
    } else {
        fd = createUnique(folder, name, pattern, 0600);
    }
    if (fd < 0)
        return old && (errno == EACCES || errno == EPERM) ? cannotKeep : errno;
    ::flock(fd, LOCK_EX);
    int error = 0;
    if (old && !keepAttributes(fd, *old, oldFile))
        error = cannotKeep;
    // The mode after the bytes: writing clears a set-user-ID bit.
    if (!error &&
        (writeFrom(fd, source, progress) < 0 || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
        error = errno;
    bool linked = false;
    if (!error && unnamed) {
        error = EEXIST;
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = randomName(pattern);
            if (::linkat(AT_FDCWD, self.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) ==
                0) {
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
    // A duplicate shares the lock, which so lasts until the caller has renamed the file.
    if (!error && (lock = ::fcntl(fd, F_DUPFD_CLOEXEC, 0)) < 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error && (!unnamed || linked))
        ::unlinkat(folder, name.constData(), 0);
    if (error && lock >= 0) {
        ::close(lock);
        lock = -1;
    }
    return error;
}

bool isTemporaryName(const char* name) {
    const size_t length = std::strlen(name);
    const size_t tail = size_t(temporarySuffix.size());
    if (name[0] != '.' || length < 1 + tail)
        return false;
    const char* suffix = name + length - tail;
    if (std::memcmp(suffix, temporarySuffix.constData(), tail - 6) != 0)
        return false;
    for (size_t i = tail - 6; i < tail; ++i) {
        const char c = suffix[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace

QByteArray namedAfter(int folder, const QByteArray& prefix, const QByteArray& fileName,
                      const QByteArray& suffix) {
    long limit = ::fpathconf(folder, _PC_NAME_MAX);
    if (limit <= 0)
        limit = 255;
    qsizetype room = std::max<qsizetype>(0, qsizetype(limit) - prefix.size() - suffix.size());
    QByteArray stem = fileName;
    if (stem.size() > room) {
        while (room > 0 && (static_cast<unsigned char>(stem[room]) & 0xC0) == 0x80)
            --room;
        stem.truncate(room);
    }
    return prefix + stem + suffix;
}

int createUnique(int folder, QByteArray& name, const QByteArray& pattern, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomName(pattern);
        const int fd = ::openat(folder, name.constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int writeTemporary(int folder, const QByteArray& pattern, const ByteSource& source, mode_t mode,
                   const struct stat* old, int oldFile, QByteArray& name, int& lock,
                   const ByteProgress& progress) {
    const int error =
        writeOnce(folder, pattern, source, mode, old, oldFile, true, name, lock, progress);
    if (error != cannotLink)
        return error;
    return writeOnce(folder, pattern, source, mode, old, oldFile, false, name, lock, progress);
}

void removeLeftovers(int folder) {
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    const int dirFd = ::dirfd(dir);
    // A writer locks its file at once, so only an empty file can be a writer's that is not locked
    // yet; those are left for a minute.
    const time_t staleBefore = std::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != fileSystemUser() || info.st_nlink != 1 ||
            (info.st_size == 0 && info.st_mtime > staleBefore))
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        // A writer that still lives holds its lock.
        if (::fstat(fd, &opened) == 0 && opened.st_dev == info.st_dev &&
            opened.st_ino == info.st_ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}
