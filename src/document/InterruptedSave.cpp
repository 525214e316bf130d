#include "document/InterruptedSave.h"

#include "document/DocumentFile.h"
#include "document/FileReach.h"
#include "document/PosixFile.h"
#include "document/TemporaryFile.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QByteArray header = QByteArrayLiteral("notavo interrupted save 1\n");
const QByteArray prefix = QByteArrayLiteral("interrupted-save-");

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path).toPercentEncoding("/");
}

bool parse(const QByteArray& text, InterruptedSave& save) {
    if (!text.startsWith(header))
        return false;
    int found = 0;
    for (const QByteArray& line : text.mid(header.size()).split('\n')) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space), value = line.mid(space + 1);
        bool ok = true;
        if (key == "target")
            save.target = QFile::decodeName(QByteArray::fromPercentEncoding(value));
        else if (key == "device")
            save.device = value.toULongLong(&ok);
        else if (key == "inode")
            save.inode = value.toULongLong(&ok);
        else if (key == "backup")
            save.backup = QFile::decodeName(QByteArray::fromPercentEncoding(value));
        else
            continue;
        found += ok ? 1 : 0;
    }
    return found == 4 && !save.target.isEmpty() && !save.backup.isEmpty();
}

} // namespace

QString stateFolder(bool make) {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QLatin1String("/.local/state");
    const QString folder = state + QLatin1String("/notavo");
    if (!make)
        return folder;
    if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), 0700) != 0)
        return {};
    return folder;
}

int recordIntent(int folder, const QByteArray& name, const struct stat& file, const QString& backup,
                 QString& recordPath) {
    const QString state = stateFolder(true);
    if (state.isEmpty())
        return -1;
    const int stateFd =
        ::open(QFile::encodeName(state).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (stateFd < 0)
        return -1;
    QByteArray recordName;
    const int fd = createUnique(stateFd, recordName, prefix + "XXXXXX", 0600);
    if (fd < 0) {
        ::close(stateFd);
        return -1;
    }
    ::flock(fd, LOCK_EX);
    const QByteArray text = header + "target " + encoded(pathOf(folder, name)) + "\ndevice " +
                            QByteArray::number(quint64(file.st_dev)) + "\ninode " +
                            QByteArray::number(quint64(file.st_ino)) + "\nbackup " +
                            encoded(backup) + '\n';
    const bool written = writeAll(fd, text.constData(), text.size()) && ::fsync(fd) == 0;
    if (written)
        syncFolder(stateFd);
    else
        ::unlinkat(stateFd, recordName.constData(), 0);
    ::close(stateFd);
    if (!written) {
        ::close(fd);
        return -1;
    }
    recordPath = state + u'/' + QFile::decodeName(recordName);
    return fd;
}

void dropIntent(int lock, const QString& recordPath) {
    if (lock < 0)
        return;
    ::unlink(QFile::encodeName(recordPath).constData());
    ::close(lock);
}

QList<InterruptedSave> interruptedSaves() {
    QList<InterruptedSave> found;
    const QString state = stateFolder(false);
    const QStringList names = QDir(state).entryList({QFile::decodeName(prefix) + u'*'},
                                                    QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        InterruptedSave save;
        save.record = state + u'/' + name;
        const int fd = ::open(QFile::encodeName(save.record).constData(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A write still running holds its record locked.
        QByteArray text;
        struct stat info {};
        const bool idle = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        if (idle && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == fileSystemUser() && readAll(fd, info.st_size, text, {}) == 0) {
            if (parse(text, save))
                found.append(save);
            else // torn by a crash before it was synced: no byte of the file had changed yet
                ::unlink(QFile::encodeName(save.record).constData());
        }
        ::close(fd);
    }
    return found;
}

std::optional<InterruptedSave> interruptedSaveOf(const QString& path) {
    struct stat info {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &info) == 0;
    for (const InterruptedSave& save : interruptedSaves()) {
        if (save.target == path ||
            (exists && save.device == quint64(info.st_dev) && save.inode == quint64(info.st_ino)))
            return save;
    }
    return std::nullopt;
}

std::optional<Failure> putBack(const InterruptedSave& save) {
    QByteArray old;
    if (auto failure = readDocumentFile(save.backup, old))
        return failure;
    if (auto failure = replaceFile(save.target, old))
        return failure;
    ::unlink(QFile::encodeName(save.backup).constData());
    forget(save);
    return std::nullopt;
}

void forget(const InterruptedSave& save) {
    ::unlink(QFile::encodeName(save.record).constData());
}
