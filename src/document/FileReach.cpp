#include "document/FileReach.h"

#include "document/FileErrors.h"

#include <QByteArrayList>
#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<bool> noOpenat2{false};

// One name in the folder, never following a link. Where openat2 exists it also refuses any
// link or /proc "magic link" on the way: a cheap guard should a name ever carry a slash.
int openIn(int folder, const char* name, int flags) {
    flags |= O_NOFOLLOW | O_CLOEXEC;
#ifdef SYS_openat2
    if (!noOpenat2.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = quint64(flags);
        how.resolve = RESOLVE_NO_MAGICLINKS | RESOLVE_NO_SYMLINKS;
        const int fd = int(::syscall(SYS_openat2, folder, name, &how, sizeof how));
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG))
            return fd;
        if (errno != EPERM)
            noOpenat2 = true;
    }
#endif
    return ::openat(folder, name, flags);
}

bool isShared(const struct stat& folder) {
    const mode_t shared = S_ISVTX | S_IWOTH;
    return S_ISDIR(folder.st_mode) && (folder.st_mode & shared) == shared;
}

QByteArrayList namesOf(const QByteArray& path) {
    QByteArrayList names;
    for (const QByteArray& name : path.split('/'))
        if (!name.isEmpty() && name != ".")
            names.append(name);
    return names;
}

} // namespace

ReachedFile::~ReachedFile() {
    if (file >= 0)
        ::close(file);
    if (folder >= 0)
        ::close(folder);
}

uid_t fileSystemUser() {
    // An invalid id changes nothing and answers the present one.
    return uid_t(::setfsuid(uid_t(-1)));
}

QByteArray pathOf(int folder, const QByteArray& name) {
    char path[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(folder);
    const ssize_t n = ::readlink(link.constData(), path, sizeof path);
    if (n <= 0)
        return name;
    const QByteArray folderPath(path, n);
    return folderPath.endsWith('/') ? folderPath + name : folderPath + '/' + name;
}

bool foreignInSharedFolder(const ReachedFile& reached, const struct stat& file) {
    if (!reached.sharedFolder || !(S_ISREG(file.st_mode) || S_ISFIFO(file.st_mode)))
        return false;
    return file.st_uid != fileSystemUser() && file.st_uid != reached.folderOwner;
}

int reachFile(const QByteArray& path, ReachedFile& reached) {
    if (path.isEmpty() || path.endsWith('/'))
        return path.isEmpty() ? ENOENT : EISDIR;
    int folder = ::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return errno;
    QByteArrayList names = namesOf(path);
    auto fail = [&](int error) {
        ::close(folder);
        return error;
    };
    if (names.isEmpty())
        return fail(EISDIR);
    int hops = 0;
    while (!names.isEmpty()) {
        const QByteArray name = names.takeFirst();
        const bool isLast = names.isEmpty();
        const int fd = openIn(folder, name.constData(), O_PATH);
        if (fd < 0) {
            if (errno == ENOENT && isLast) {
                reached.name = name; // to be made
                break;
            }
            return fail(errno);
        }
        struct stat info {
        }, folderInfo{};
        if (::fstat(fd, &info) != 0 || ::fstat(folder, &folderInfo) != 0) {
            const int error = errno;
            ::close(fd);
            return fail(error);
        }
        if (S_ISLNK(info.st_mode)) {
            // Checked and read through the one descriptor: the link checked is the link read.
            const bool planted = isShared(folderInfo) && info.st_uid != folderInfo.st_uid &&
                                 info.st_uid != fileSystemUser();
            char target[PATH_MAX];
            const ssize_t n = planted ? 0 : ::readlinkat(fd, "", target, sizeof target);
            const int error = errno;
            ::close(fd);
            if (planted)
                return fail(FileCause::PlantedLink);
            if (n < 0)
                return fail(error);
            if (++hops > 40)
                return fail(ELOOP);
            const QByteArray to(target, n);
            if (to.isEmpty())
                return fail(ENOENT);
            if (to.startsWith('/')) {
                const int root = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
                if (root < 0)
                    return fail(errno);
                ::close(folder);
                folder = root;
            }
            // A target ending in a slash must be a folder.
            QByteArrayList more = namesOf(to);
            if (to.endsWith('/') && isLast)
                more.append(".");
            if (more.isEmpty() && isLast)
                return fail(EISDIR);
            names = more + names;
            continue;
        }
        if (isLast && name != "." && name != "..") {
            reached.file = fd;
            reached.info = info;
            reached.name = name;
            break;
        }
        if (!S_ISDIR(info.st_mode)) {
            ::close(fd);
            return fail(isLast ? EISDIR : ENOTDIR);
        }
        ::close(folder);
        folder = fd;
        if (isLast)
            return fail(EISDIR);
    }
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0)
        return fail(errno);
    reached.folder = folder;
    reached.sharedFolder = isShared(folderInfo);
    reached.folderOwner = folderInfo.st_uid;
    return 0;
}
