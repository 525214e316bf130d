// The recovery journal's costs: bytes written per typed character; the longest the window
// waits for it when a batch is handed over; recovering a large document after 10,000 edits
// (read, check and replay, as the next start does); and from a Save to the journal restarted,
// with the copy of the text the first edit after it costs the worker.
//
//   bench_journal [MB]      prints one key=value line (default 100 MB of 80-character lines)
#include "document/Document.h"
#include "document/RecoveryJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
qint64 journalBytes(const QString& folder) {
    qint64 total = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        if (!file.fileName().endsWith(u".lock"_qs))
            total += file.size();
    return total;
}

double ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    QTemporaryDir state;
    const QString folder = state.path();

    // Typing into a small document: the log of the keys, apart from the text it starts from.
    double bytesPerChar = 0;
    {
        Document doc;
        RecoveryJournal journal(doc, folder);
        doc.edit(0, 0, u"start"_qs);
        journal.flush();
        journal.waitForWorker();
        const qint64 base = journalBytes(folder);
        const int typed = 10000;
        for (int i = 0; i < typed; ++i) {
            const char16_t c = u"typed text, \n"[i % 13];
            doc.edit(doc.buffer().size(), 0, QStringView(&c, 1));
            if (i % 8 == 7) // a sync now and then, as a second of typing brings
                journal.flush();
        }
        journal.flush();
        journal.waitForWorker();
        bytesPerChar = double(journalBytes(folder) - base) / typed;
        journal.discard();
    }

    // A large document, 10,000 edits synced in batches of 20, then recovered by another run.
    const QString line = QString(79, u'x') + u'\n';
    double handOverMs = 0, saveRestartMs = 0, firstEditBaseMs = 0, recoverMs = 0;
    bool right = false;
    {
        Document doc;
        auto journal = std::make_unique<RecoveryJournal>(doc, folder);
        doc.setText(TextBuffer(line.repeated(megabytes * 1048576 / 80)));
        QElapsedTimer timer;
        timer.start();
        journal->flush();
        journal->waitForWorker();
        firstEditBaseMs = ms(timer);
        QRandomGenerator random(7);
        for (int i = 0; i < 10000; ++i) {
            const qsizetype at = random.bounded(doc.buffer().size());
            if (i % 3 == 2)
                doc.edit(at, std::min<qsizetype>(3, doc.buffer().size() - at), {});
            else
                doc.edit(at, 0, u"edit"_qs);
            if (i % 20 == 19) {
                timer.restart();
                journal->flush();
                handOverMs = std::max(handOverMs, ms(timer));
            }
        }
        journal->flush();
        journal->waitForWorker();
        const QString expected = doc.buffer().toString();
        journal.reset(); // killed: the journal stays

        Document next;
        RecoveryJournal recovering(next, folder);
        timer.restart();
        std::optional<OrphanJournal> orphan = recovering.takeOrphan();
        recoverMs = ms(timer);
        right = orphan && orphan->contents.text.toString() == expected;
        if (orphan)
            recovering.drop(std::move(*orphan));

        // Saved: the journal restarts; the first edit after it copies the text again.
        next.setText(TextBuffer(expected));
        recovering.flush();
        recovering.waitForWorker();
        timer.restart();
        next.markWritten();
        recovering.waitForWorker();
        saveRestartMs = ms(timer);
    }
    std::printf("bytes_per_typed_char=%.2f handover_slowest_ms=%.3f base_copy_ms=%.1f "
                "recover_after_10000_edits_ms=%.1f save_to_restart_ms=%.2f recovered=%s mb=%lld\n",
                bytesPerChar, handOverMs, firstEditBaseMs, recoverMs, saveRestartMs,
                right ? "exact" : "WRONG", qlonglong(megabytes));
    return right ? 0 : 1;
}
