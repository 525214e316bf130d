#include "document/Document.h"
#include "document/JournalFormat.h"
#include "document/RecoveryJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace J = JournalFormat;

namespace {
mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}
} // namespace

// The journal's bytes and the journal kept beside a document: what a later run recovers.
class tst_RecoveryJournal : public QObject {
    Q_OBJECT
private slots:
    // Every prefix of a journal, and every corrupted byte, recovers the last complete commit
    // before the damage, never a text that was never in the box.
    void tornAndCorruptJournals() {
        TextBuffer base(u"héllo\nwörld"_qs);
        base.insert(5, u" 𝄞 big"_qs); // a second piece, wide
        QByteArray bytes = J::Magic.toByteArray();
        J::FileState file{
            u"/tmp/a.nv"_qs,           true, u"a.nv"_qs, u"/tmp/a.nv"_qs, u"a.nv - Notavo"_qs, {},
            FileStamp{7, 8, 9, 10, 11}};
        file.layout.encoding = TextEncoding::EucKr; // the last encoding
        file.layout.breakStyles = "\x01\x02";
        file.layout.trailingBytes = "\xFF";
        J::appendFile(bytes, file);
        J::forEachBaseRecord(base, [&](const QByteArray& r) { bytes += r; });
        J::appendCommit(bytes);
        QList<qsizetype> commits{bytes.size()};
        QStringList states{base.toString()};
        J::appendInsert(bytes, 0, u"€"_qs);
        J::appendRemove(bytes, 3, 4);
        J::appendInsert(bytes, 1, QLatin1StringView("xy"));
        J::appendCommit(bytes);
        commits << bytes.size();
        QString second = base.toString();
        second.insert(0, u"€"_qs).remove(3, 4).insert(1, u"xy"_qs);
        states << second;
        J::appendRemove(bytes, 0, 2); // never committed

        QCOMPARE(J::crc32(0, "123456789"), 0xCBF43926u); // the common CRC-32, as zlib's
        const J::Recovered whole = J::read(bytes);
        QVERIFY(whole.hasText);
        QCOMPARE(whole.text.toString(), second);
        QCOMPARE(whole.validLength, commits.last());
        QCOMPARE(whole.file.layout.encoding, TextEncoding::EucKr);
        QCOMPARE(whole.file.layout.breakStyles, QByteArray("\x01\x02"));
        QCOMPARE(whole.file.layout.trailingBytes, QByteArray("\xFF"));
        QVERIFY(whole.file.stamp == file.stamp);
        const auto expected = [&](qsizetype valid) {
            qsizetype last = -1;
            for (qsizetype i = 0; i < commits.size(); ++i)
                if (commits[i] <= valid)
                    last = i;
            return last;
        };
        for (qsizetype n = 0; n <= bytes.size(); ++n) {
            const J::Recovered r = J::read(QByteArrayView(bytes).first(n));
            const qsizetype state = expected(n);
            QCOMPARE(r.hasText, state >= 0);
            if (state >= 0)
                QCOMPARE(r.text.toString(), states[state]);
        }
        for (qsizetype at = 0; at < bytes.size(); ++at) {
            QByteArray bad = bytes;
            bad[at] = char(bad[at] ^ 0x20);
            const J::Recovered r = J::read(bad);
            const qsizetype state = expected(at);
            QCOMPARE(r.hasText, state >= 0);
            if (state >= 0)
                QCOMPARE(r.text.toString(), states[state]);
        }
    }

    // Edits reach the disk as a log; a live run's journal is never taken, and one left by a
    // run that ended without a deliberate close gives back the text and its file.
    void keptTakenAndDropped() {
        QTemporaryDir state;
        const QString folder = state.filePath(u"deep/notavo"_qs);
        Document doc;
        auto journal = std::make_unique<RecoveryJournal>(doc, folder);
        doc.edit(0, 0, u"Phone: 555"_qs);
        journal->flush();
        journal->waitForWorker();
        QCOMPARE(modeOf(folder), mode_t(0700));
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files.size(), 2); // the lock and the journal
        for (const QString& name : files)
            QCOMPARE(modeOf(folder + u'/' + name), mode_t(0600));
        const qint64 baseSize =
            QFileInfo(folder + u'/' + files.filter(u"lock"_qs).value(0).chopped(5)).size();
        for (QChar c : u"-1234 Näme"_qs)
            doc.edit(doc.buffer().size(), 0, QStringView(&c, 1));
        doc.edit(5, 1, {});
        const NamedFile file = NamedFile::at(u"/x/n.nv"_qs); // as Open leaves it
        doc.setCurrentFile({SaveLocation::at(file.path), file, file, file});
        journal->flush();
        journal->waitForWorker();
        const QString text = doc.buffer().toString();

        // A second run beside the live one sees nothing of it.
        Document other;
        auto second = std::make_unique<RecoveryJournal>(other, folder);
        QVERIFY(!second->takeOrphan());
        // The first ends without a deliberate close (SIGTERM, the session ending).
        journal.reset();
        std::optional<OrphanJournal> orphan = second->takeOrphan();
        QVERIFY(orphan);
        QCOMPARE(orphan->contents.text.toString(), text);
        QCOMPARE(orphan->contents.file.caption, u"n.nv - Notavo"_qs);
        QVERIFY(orphan->contents.file.hasSavePath);
        // A document never saved comes back worded as it was; a location Clear forgot stays
        // forgotten, or auto-save would write the recovered text over that file.
        for (const QStringList& w : {QStringList{"Notavo", "No file loaded", "No file loaded"},
                                     QStringList{"New File - Notavo", "Not saved", "Not saved"}}) {
            const CurrentFile back =
                recoveredFile({u"/x/m.nv"_qs, false, w[1], w[2], w[0], {}, {}});
            const QString shown = captionFor(*back.caption) + nameFor(*back.name);
            QCOMPARE(shown + locationFor(*back.location), w.join(QString()));
            QCOMPARE(back.saveLocation, SaveLocation::at(u"/x/m.nv"_qs).forgotten());
        }
        // Typing is logged as edits, a few bytes a character, not the text again.
        const qint64 size = QFileInfo(folder + u'/' + QString::fromLatin1(orphan->name)).size();
        QVERIFY2(size - baseSize < 250, qPrintable(QString::number(size - baseSize)));
        // Taken by this run, it goes on from there.
        other.load(orphan->contents.text, orphan->contents.file.layout);
        second->adopt(std::move(*orphan));
        other.edit(0, 0, u">"_qs);
        second->flush();
        second->waitForWorker();
        second.reset();
        Document third;
        RecoveryJournal thirdJournal(third, folder);
        orphan = thirdJournal.takeOrphan();
        QVERIFY(orphan);
        QCOMPARE(orphan->contents.text.toString(), u">"_qs + text);
        thirdJournal.drop(std::move(*orphan));
        QVERIFY(!thirdJournal.takeOrphan());

        // Saved, opened anew, cleared or closed deliberately: nothing is offered.
        const auto left = [&](auto end) {
            Document d;
            {
                RecoveryJournal j(d, folder);
                d.edit(0, 0, u"typed"_qs);
                j.flush();
                j.waitForWorker();
                end(d, j);
                j.flush();
                j.waitForWorker();
            }
            Document next;
            RecoveryJournal j(next, folder);
            auto found = j.takeOrphan();
            if (!found)
                return u"<none>"_qs;
            const QString text = found->contents.text.toString();
            j.drop(std::move(*found));
            return text;
        };
        QCOMPARE(left([](Document& d, RecoveryJournal&) { d.markWritten(); }), u"<none>"_qs);
        QCOMPARE(left([](Document& d, RecoveryJournal&) { d.clear(); }), u"<none>"_qs);
        QCOMPARE(left([](Document&, RecoveryJournal& j) { j.discard(); }), u"<none>"_qs);
        QCOMPARE(left([](Document& d, RecoveryJournal&) { d.setText(TextBuffer(u"all"_qs)); }),
                 u"all"_qs);
        QCOMPARE(left([](Document& d, RecoveryJournal&) {
                     d.markWritten();
                     d.edit(5, 0, u"!"_qs);
                 }),
                 u"typed!"_qs);
        // Only the live run's lock: no leftovers pile up.
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_RecoveryJournal)
#include "tst_RecoveryJournal.moc"
