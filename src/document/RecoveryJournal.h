#pragma once

#include "document/JournalFormat.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class Document;
class JournalWorker;
struct CurrentFile;

// A journal another run left behind (killed, crashed, the power cut), locked for this run.
struct OrphanJournal {
    QByteArray name; // its file in the state folder
    int lockFd = -1;
    QDateTime lastChanged;
    JournalFormat::Recovered contents;
};

// What a recovered document's current file is: the file its window named, words and all.
CurrentFile recoveredFile(const JournalFormat::FileState& file);

// Keeps what is in the box recoverable after a crash: every edit of the document is logged to a
// journal under $XDG_STATE_HOME/notavo and synced on a worker thread within a second, so the
// window never waits for the disk. The log holds edits, not copies of the text; the whole text
// is written only when the journal starts (at the first edit after an Open, New, Clear or save,
// or after a whole-text replacement such as Replace All). New, Open and Clear drop the journal
// and a successful save restarts it; only discard(), for a deliberate close, drops it at the end.
// Each run holds a lock on its own journal, so another run neither offers nor takes it.
class RecoveryJournal : public QObject {
    Q_OBJECT
public:
    // folder empty: the state folder ($XDG_STATE_HOME/notavo, or ~/.local/state/notavo).
    explicit RecoveryJournal(Document& document, const QString& folder = {},
                             QObject* parent = nullptr);
    ~RecoveryJournal() override;

    static QString stateFolder();

    // The longest a change waits before it is handed to the worker to be written and synced.
    void setSyncDelay(int milliseconds) { timer.setInterval(milliseconds); }
    // Hands what is pending to the worker now.
    void flush();
    // Waits until the worker has written and synced everything handed to it.
    void waitForWorker();
    // A deliberate close: the journal goes, and nothing is offered at the next start.
    void discard();

    // The newest journal no running program holds, locked for this run; nothing when none holds
    // a text worth offering (those are removed).
    std::optional<OrphanJournal> takeOrphan();
    // After the orphan's text went into the document: it becomes this run's journal.
    void adopt(OrphanJournal orphan);
    // The user declined it.
    void drop(OrphanJournal orphan);
    // The user decided nothing: it is offered again at the next start.
    void release(OrphanJournal orphan);

Q_SIGNALS:
    // Before a batch goes to the worker, on this thread: the text now is what it will leave.
    void handingOver(quint64 batch);
    // The batch and those before it are on the disk.
    void synced(quint64 batch);
    // Writing the journal failed (a full disk, say); editing goes on.
    void failed(const QString& message);

private:
    void edited(qsizetype position, qsizetype removed, QStringView inserted);
    void log(qsizetype position, qsizetype removed, QStringView inserted);
    void handOver();
    bool open();
    void replaced();
    void restart();
    void fileChanged();
    void changed();
    void takePendingInsert();
    // Called from the worker through the event queue, by name: the arguments are copied inside
    // Qt, where ThreadSanitizer sees the queue's lock, not in a functor built on the worker.
    Q_INVOKABLE void report(quint64 batch, int error);
    JournalFormat::FileState fileState() const;

    Document& doc;
    QTimer timer;
    std::unique_ptr<JournalWorker> worker;
    QByteArray pending;
    qsizetype insertAt = -1;
    QString insertText;
    bool started = false; // the worker holds a base for the text
    bool baseDue = false;
    bool fileDue = false;
    bool warned = false;
    quint64 batches = 0;
    QString folderPath;
    bool opened = false;
    int folderFd = -1;
    int lockFd = -1;
    QByteArray lockName;
};
