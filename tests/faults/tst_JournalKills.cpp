#include "document/Document.h"
#include "document/RecoveryJournal.h"
#include "editor/TextView.h"
#include "widgets/DocumentWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// The main window killed with SIGKILL at random moments of random editing (typing, deleting,
// paste, Undo, Replace All, New, Open, Save): the next start recovers the text the box held at
// the last sync point the window reported, or at a later hand-over, never anything else; and
// nothing only when New, Open or Save dropped the journal since that sync point.
class tst_JournalKills : public QObject {
    Q_OBJECT
private slots:
    void killedAtRandom() {
        const int kills = qEnvironmentVariableIntValue("NOTAVO_JOURNAL_KILLS") > 0
                              ? qEnvironmentVariableIntValue("NOTAVO_JOURNAL_KILLS")
                              : 100;
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        QTemporaryDir state;
        Document reader;
        RecoveryJournal journal(reader, state.path() + u"/notavo"_qs);
        int recovered = 0;
        QElapsedTimer clock;
        clock.start();
        for (int kill = 0; kill < kills; ++kill) {
            QTemporaryDir work;
            for (const auto& [name, bytes] :
                 {std::pair{"open-0.nv", QByteArray("short\r\nfile\r\n")},
                  std::pair{"open-1.nv", QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                    "e\n")
                                             .repeated(300)}}) {
                QFile file(work.filePath(QLatin1String(name)));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(bytes);
            }
            const QByteArray childSeed = QByteArray::number(random.generate());
            const pid_t child = ::fork();
            if (child == 0) {
                ::execl(NOTAVO_JOURNAL_CHILD, NOTAVO_JOURNAL_CHILD,
                        QFile::encodeName(state.path()).constData(),
                        QFile::encodeName(work.path()).constData(), childSeed.constData(), nullptr);
                ::_exit(127);
            }
            QVERIFY(child > 0);
            // Past start-up, which varies, then at a random moment.
            const QString logPath = work.filePath(u"log"_qs);
            QVERIFY(QTest::qWaitFor([&] { return QFileInfo(logPath).size() > 0; }, 20000));
            ::usleep(useconds_t(random.bounded(0, 250000)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            QVERIFY2(WIFSIGNALED(status), qPrintable(u"child ended itself, seed "_qs + childSeed));

            QFile logFile(logPath);
            QVERIFY(logFile.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = logFile.readAll().split('\n');
            // A drop logged after the last synced batch was handed over came after it.
            qint64 lastSynced = 0;
            for (const QByteArray& line : lines)
                if (line.startsWith("S "))
                    lastSynced = line.mid(2).toLongLong();
            const qsizetype handed = lines.indexOf("H " + QByteArray::number(lastSynced));
            const bool droppedSince = lines.indexOf("D", std::max<qsizetype>(handed, 0)) >= 0;
            const auto expected = [&](qint64 batch) {
                QFile expect(work.filePath(u"expect-"_qs + QString::number(batch)));
                return expect.open(QIODevice::ReadOnly)
                           ? std::optional(QString::fromUtf8(expect.readAll()))
                           : std::nullopt;
            };
            std::optional<OrphanJournal> orphan = journal.takeOrphan();
            const QString context = u"kill %1, child seed %2, log: %3"_qs.arg(kill).arg(
                QString::fromLatin1(childSeed), QString::fromLatin1(lines.join(' ')));
            if (!orphan) {
                // Nothing synced, or dropped since (the text is a file's, or a new document's
                // empty one), or an empty text that was never saved: nothing to offer.
                bool empty = false;
                for (qint64 batch = lastSynced; !empty && expected(batch); ++batch)
                    empty = expected(batch)->isEmpty();
                QVERIFY2(lastSynced == 0 || droppedSince || empty, qPrintable(context));
                continue;
            }
            const QString text = orphan->contents.text.toString();
            journal.drop(std::move(*orphan));
            ++recovered;
            bool matched = false;
            for (qint64 batch = std::max<qint64>(lastSynced, 1); !matched && expected(batch);
                 ++batch)
                matched = *expected(batch) == text;
            QVERIFY2(matched, qPrintable(context + u", recovered: "_qs + text.left(200)));
        }
        qInfo("%d kills, %d recovered a text, %lld ms", kills, recovered, clock.elapsed());
        QVERIFY(recovered > kills / 4);
    }

    // A full disk under the journal: one warning in the status bar, and editing goes on.
    void fullDisk() {
        QTemporaryDir scratch;
        const QString tiny = scratch.filePath(u"tiny"_qs);
        QVERIFY(QDir().mkpath(tiny));
        if (QProcess::execute(u"mount"_qs, {u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, u"size=64k"_qs,
                                            u"tmpfs"_qs, tiny}) != 0)
            QSKIP("needs root to mount a small tmpfs");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_qs, {tiny}); });
        TestPlatform::sharedState = tiny;
        const auto unshare = qScopeGuard([] { TestPlatform::sharedState.clear(); });
        DocumentWindow f;
        f.run("mnuFileNew");
        const auto synced = [&] {
            f.w.recoveryJournal().flush();
            f.w.recoveryJournal().waitForWorker();
            QCoreApplication::processEvents();
        };
        f.w.txtMain().setPlainText(QString(100000, u'x'));
        synced();
        QCOMPARE(f.w.statusText(), u"Recovery journal not written: No space left on device"_qs);
        f.w.setStatusText(u"Ready"_qs);
        QTest::keyClicks(&f.w.txtMain(), u"more"_qs);
        synced();
        QCOMPARE(f.w.statusText(), u"Ready"_qs); // once, not at every attempt
        QCOMPARE(f.w.txtMain().buffer().size(), 100004);
        // Room again: the next attempt writes the whole text.
        f.w.txtMain().setPlainText(u"fits"_qs);
        synced();
        QCOMPARE(QDir(tiny + u"/notavo"_qs).entryList(QDir::Files).size(),
                 2); // the lock and the journal
        f.w.close();
    }
};

QTEST_MAIN(tst_JournalKills)
#include "tst_JournalKills.moc"
