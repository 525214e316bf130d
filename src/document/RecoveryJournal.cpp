#include "document/RecoveryJournal.h"

#include "document/Document.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using JournalFormat::FileState;

namespace {
bool writeAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.sliced(n);
    }
    return true;
}

QByteArray readAll(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// The state folder, made private to the user, opened without following a planted link.
int openFolder(const QString& path) {
    QByteArray native = QFile::encodeName(path);
    for (qsizetype slash = native.indexOf('/', 1); slash > 0;
         slash = native.indexOf('/', slash + 1))
        ::mkdir(native.left(slash).constData(), 0700);
    ::mkdir(native.constData(), 0700);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid())
        ::fchmod(fd, 0700);
    return fd;
}

int openFileAt(int folder, const QByteArray& name, int flags) {
    return ::openat(folder, name.constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
}
} // namespace

// Writes and syncs the journal on its own thread, in the order batches are handed over.
class JournalWorker {
public:
    struct Batch {
        enum Op { Append, Rewrite, Drop, Adopt, Stop } op = Append;
        quint64 id = 0;
        QByteArray records = {};
        std::optional<TextBuffer> base = {};
        FileState file = {};
        QByteArray adopted = {}; // Adopt: the orphan's journal
        qsizetype adoptedLength = 0;
    };

    JournalWorker(int folder, QByteArray name, std::function<void(quint64, int)> done)
        : folder(folder), name(std::move(name)), done(std::move(done)), thread([this] { run(); }) {}
    ~JournalWorker() {
        put(Batch{.op = Batch::Stop});
        thread.join();
        if (fd >= 0)
            ::close(fd);
    }
    void put(Batch batch) {
        {
            std::lock_guard lock(mutex);
            queue.push_back(std::move(batch));
        }
        wake.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex);
        idle.wait(lock, [this] { return queue.empty() && !busy; });
    }

private:
    void run() {
        for (;;) {
            Batch batch;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return !queue.empty(); });
                batch = std::move(queue.front());
                queue.pop_front();
                busy = true;
            }
            if (batch.op == Batch::Stop)
                return;
            int error = ENOMEM;
            try {
                error = apply(batch);
            } catch (const std::bad_alloc&) {
                // Reported as a failed write; the next batch starts the journal afresh.
            }
            try {
                if (batch.op == Batch::Append || batch.op == Batch::Rewrite)
                    done(batch.id, error);
            } catch (const std::bad_alloc&) {
                // Unreported: the window learns of it at a later batch.
            }
            {
                std::lock_guard lock(mutex);
                busy = false;
            }
            idle.notify_all();
        }
    }

    int apply(Batch& batch) {
        switch (batch.op) {
        case Batch::Append:
            if (fd < 0)
                return EBADF;
            JournalFormat::appendCommit(batch.records);
            if (!writeAll(fd, batch.records) || ::fdatasync(fd) != 0)
                return broken();
            return 0;
        case Batch::Rewrite:
            return rewrite(batch);
        case Batch::Drop:
            closeJournal();
            ::unlinkat(folder, name.constData(), 0);
            return 0;
        case Batch::Adopt:
            closeJournal();
            if (::renameat(folder, batch.adopted.constData(), folder, name.constData()) == 0) {
                fd = openFileAt(folder, name, O_WRONLY);
                // A torn tail would hide everything appended after it.
                if (fd >= 0 && (::ftruncate(fd, batch.adoptedLength) != 0 ||
                                ::lseek(fd, 0, SEEK_END) < 0 || ::fdatasync(fd) != 0))
                    closeJournal();
                ::fsync(folder);
            }
            return 0;
        case Batch::Stop:
            break;
        }
        return 0;
    }

    // A new journal beside the old, renamed over it once complete: a crash meanwhile leaves
    // the old one as it was.
    int rewrite(const Batch& batch) {
        const QByteArray fresh = name + ".new";
        const int out = openFileAt(folder, fresh, O_WRONLY | O_CREAT | O_TRUNC);
        if (out < 0)
            return errno;
        QByteArray head = JournalFormat::Magic.toByteArray();
        JournalFormat::appendFile(head, batch.file);
        bool ok = writeAll(out, head);
        if (ok && batch.base)
            JournalFormat::forEachBaseRecord(
                *batch.base, [&](const QByteArray& records) { ok = ok && writeAll(out, records); });
        QByteArray tail = batch.records;
        JournalFormat::appendCommit(tail);
        ok = ok && writeAll(out, tail) && ::fdatasync(out) == 0 &&
             ::renameat(folder, fresh.constData(), folder, name.constData()) == 0;
        const int error = ok ? 0 : errno ? errno : EIO;
        if (!ok) {
            ::close(out);
            ::unlinkat(folder, fresh.constData(), 0);
            return error;
        }
        ::fsync(folder);
        closeJournal();
        fd = out;
        return 0;
    }

    int broken() {
        const int error = errno ? errno : EIO;
        closeJournal(); // appends resume only after a new base
        return error;
    }
    void closeJournal() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    int folder;
    QByteArray name;
    std::function<void(quint64, int)> done;
    int fd = -1;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Batch> queue;
    bool busy = false;
    std::thread thread;
};

QString RecoveryJournal::stateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QLatin1String("/.local/state");
    return state + QLatin1String("/notavo");
}

RecoveryJournal::RecoveryJournal(Document& document, const QString& folder, QObject* parent)
    : QObject(parent), doc(document) {
    timer.setSingleShot(true);
    timer.setInterval(500);
    connect(&timer, &QTimer::timeout, this, &RecoveryJournal::flush);
    connect(&doc, &Document::textEdited, this, &RecoveryJournal::edited);
    connect(&doc, &Document::textReplaced, this, &RecoveryJournal::replaced);
    connect(&doc, &Document::started, this, &RecoveryJournal::restart);
    connect(&doc, &Document::written, this, &RecoveryJournal::restart);
    connect(&doc, &Document::currentFileChanged, this, &RecoveryJournal::fileChanged);

    folderPath = folder.isEmpty() ? stateFolder() : folder;
}

bool RecoveryJournal::open() {
    // Made at the first need, so that a run that edits nothing leaves nothing behind.
    if (std::exchange(opened, true))
        return worker != nullptr;
    const int dir = openFolder(folderPath);
    QByteArray name;
    int lock = -1;
    for (int attempt = 0; dir >= 0 && attempt < 16 && lock < 0; ++attempt) {
        name = "journal-" + QByteArray::number(QRandomGenerator::system()->generate64(), 16);
        lock = openFileAt(dir, name + ".lock", O_RDWR | O_CREAT | O_EXCL);
    }
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        // No journal this run: the program works as it did without one.
        if (lock >= 0)
            ::close(lock);
        if (dir >= 0)
            ::close(dir);
        Q_EMIT failed(QStringLiteral("Recovery journal unavailable: ") + folderPath);
        return false;
    }
    folderFd = dir;
    lockFd = lock;
    lockName = name + ".lock";
    try {
        worker = std::make_unique<JournalWorker>(dir, name, [this](quint64 batch, int error) {
            QMetaObject::invokeMethod(this, "report", Qt::QueuedConnection, Q_ARG(quint64, batch),
                                      Q_ARG(int, error));
        });
    } catch (const std::exception&) {
        // No thread or no memory for one (an address-space limit): the program goes on without.
        ::unlinkat(folderFd, lockName.constData(), 0);
    }
    return worker != nullptr;
}

RecoveryJournal::~RecoveryJournal() {
    // Not a deliberate close: what is pending is written, and the journal stays for the next
    // start (a session ending, SIGTERM).
    flush();
    if (worker) {
        worker.reset();
        // Nothing to offer: no leftover for the next start to clean up.
        if (!started)
            ::unlinkat(folderFd, lockName.constData(), 0);
    }
    if (lockFd >= 0)
        ::close(lockFd);
    if (folderFd >= 0)
        ::close(folderFd);
}

void RecoveryJournal::edited(qsizetype position, qsizetype removed, QStringView inserted) {
    try {
        log(position, removed, inserted);
    } catch (const std::bad_alloc&) {
        // Out of memory for the log: the whole text is written at the next sync instead.
        pending.clear();
        insertText.clear();
        insertAt = -1;
        baseDue = true;
    }
    changed();
}

void RecoveryJournal::log(qsizetype position, qsizetype removed, QStringView inserted) {
    if (!started) {
        baseDue = true;
    } else if (!baseDue) {
        const bool follows =
            removed == 0 && insertAt >= 0 && position == insertAt + insertText.size();
        if (!follows) {
            takePendingInsert();
            if (removed > 0)
                JournalFormat::appendRemove(pending, position, removed);
            insertAt = position;
        }
        insertText.append(inserted);
    }
}

void RecoveryJournal::replaced() {
    // Replace All and the like: the whole text is the new base.
    baseDue = true;
    changed();
}

void RecoveryJournal::restart() {
    pending.clear();
    insertAt = -1;
    insertText.clear();
    baseDue = false;
    started = false;
    timer.stop();
    if (worker)
        worker->put({.op = JournalWorker::Batch::Drop});
}

void RecoveryJournal::fileChanged() {
    fileDue = true;
    if (started || baseDue)
        changed();
}

void RecoveryJournal::changed() {
    if (!timer.isActive())
        timer.start();
}

void RecoveryJournal::takePendingInsert() {
    if (!insertText.isEmpty())
        JournalFormat::appendInsert(pending, insertAt, insertText);
    insertText.clear();
    insertAt = -1;
}

void RecoveryJournal::flush() {
    try {
        handOver();
    } catch (const std::bad_alloc&) {
        // Out of memory: nothing here may allocate; the next change tries again, whole.
        started = false;
        baseDue = true;
    }
}

void RecoveryJournal::handOver() {
    timer.stop();
    if ((!baseDue && (!started || (pending.isEmpty() && insertText.isEmpty() && !fileDue))) ||
        !open())
        return;
    JournalWorker::Batch batch;
    batch.id = ++batches;
    if (baseDue) {
        batch.op = JournalWorker::Batch::Rewrite;
        batch.base = doc.snapshot();
        batch.file = fileState();
        started = true;
    } else {
        takePendingInsert();
        batch.records = std::exchange(pending, {});
        if (fileDue)
            JournalFormat::appendFile(batch.records, fileState());
    }
    pending.clear();
    insertText.clear();
    insertAt = -1;
    baseDue = fileDue = false;
    Q_EMIT handingOver(batch.id);
    worker->put(std::move(batch));
}

void RecoveryJournal::waitForWorker() {
    if (worker)
        worker->wait();
}

void RecoveryJournal::discard() {
    timer.stop();
    if (!worker)
        return;
    pending.clear();
    insertText.clear();
    baseDue = started = false;
    worker->put({.op = JournalWorker::Batch::Drop});
    worker.reset();
    ::unlinkat(folderFd, lockName.constData(), 0);
}

void RecoveryJournal::report(quint64 batch, int error) {
    if (!error) {
        warned = false;
        Q_EMIT synced(batch);
        return;
    }
    // Written again whole, once there is room.
    started = false;
    baseDue = true;
    try {
        QTimer::singleShot(5000, this, &RecoveryJournal::changed);
        if (!warned) {
            warned = true;
            Q_EMIT failed(QStringLiteral("Recovery journal not written: ") +
                          QString::fromLocal8Bit(std::strerror(error)));
        }
    } catch (const std::bad_alloc&) {
        // No memory to say so: the next change tries again.
    }
}

FileState RecoveryJournal::fileState() const {
    // Recorded as the window words it, as journals always were.
    return {doc.savePath(),
            doc.hasSavePath(),
            nameFor(doc.nameFile()),
            locationFor(doc.locationFile()),
            captionFor(doc.captionFile()),
            doc.layout(),
            doc.fileStamp()};
}

CurrentFile recoveredFile(const FileState& file) {
    return {.saveLocation = file.hasSavePath ? SaveLocation::at(file.savePath)
                                             : SaveLocation::at(file.savePath).forgotten(),
            .caption = namedByCaption(file.caption),
            .name = namedByName(file.name),
            .location = namedByLocation(file.location)};
}

std::optional<OrphanJournal> RecoveryJournal::takeOrphan() {
    if (!open())
        return std::nullopt;
    // Every unheld lock in the folder, newest journal first.
    std::vector<OrphanJournal> found;
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* list = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    while (dirent* entry = list ? ::readdir(list) : nullptr) {
        const QByteArray lock(entry->d_name);
        if (!lock.startsWith("journal-") || !lock.endsWith(".lock") || lock == lockName)
            continue;
        const int fd = openFileAt(folderFd, lock, O_RDWR);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        OrphanJournal orphan{lock.chopped(5), fd, {}, {}};
        struct stat info {};
        const int journal = openFileAt(folderFd, orphan.name, O_RDONLY);
        if (journal >= 0 && ::fstat(journal, &info) == 0)
            orphan.lastChanged = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
        if (journal < 0) {
            drop(std::move(orphan));
            continue;
        }
        ::close(journal);
        found.push_back(std::move(orphan));
    }
    if (list)
        ::closedir(list);
    else if (listFd >= 0)
        ::close(listFd);
    std::sort(found.begin(), found.end(), [](const OrphanJournal& a, const OrphanJournal& b) {
        return a.lastChanged > b.lastChanged;
    });
    std::optional<OrphanJournal> offered;
    for (OrphanJournal& orphan : found) {
        if (!offered) {
            const int journal = openFileAt(folderFd, orphan.name, O_RDONLY);
            if (journal >= 0) {
                orphan.contents = JournalFormat::read(readAll(journal));
                ::close(journal);
            }
            const JournalFormat::Recovered& r = orphan.contents;
            // An empty text that was never saved is nothing to offer.
            if (r.hasText && (!r.text.isEmpty() || r.file.hasSavePath)) {
                offered = std::move(orphan);
                continue;
            }
            drop(std::move(orphan));
        } else {
            release(std::move(orphan));
        }
    }
    return offered;
}

void RecoveryJournal::adopt(OrphanJournal orphan) {
    if (worker) {
        started = true;
        baseDue = false;
        fileDue = true;
        JournalWorker::Batch batch{.op = JournalWorker::Batch::Adopt};
        batch.adopted = orphan.name;
        batch.adoptedLength = orphan.contents.validLength;
        worker->put(std::move(batch));
        worker->wait();
    }
    ::unlinkat(folderFd, (orphan.name + ".new").constData(), 0);
    ::unlinkat(folderFd, (orphan.name + ".lock").constData(), 0);
    ::close(orphan.lockFd);
}

void RecoveryJournal::drop(OrphanJournal orphan) {
    ::unlinkat(folderFd, orphan.name.constData(), 0);
    ::unlinkat(folderFd, (orphan.name + ".new").constData(), 0);
    ::unlinkat(folderFd, (orphan.name + ".lock").constData(), 0);
    ::close(orphan.lockFd);
}

void RecoveryJournal::release(OrphanJournal orphan) {
    ::close(orphan.lockFd);
}
