#include "document/DocumentFile.h"
#include "document/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Failures of reading and replacing files carry their numbers and never cost the old bytes.
class tst_DocumentFile : public QObject {
    Q_OBJECT
private slots:
    // In-place writes record themselves in the state folder: a private one.
    void initTestCase() { qputenv("XDG_STATE_HOME", QFile::encodeName(at(u"state"_qs))); }
    void readFailures();
    void replaceAndAppendFailures();
    void namesCountedInBytes();
    void inPlaceBehindACopy();
    void linksFollowedOneByOne();
    void leftoversOfKilledSaves();

private:
    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }
};

namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int numberOf(const std::optional<Failure>& failure) {
    return failure ? failure->number : 0;
}

int temporaries(const QString& folder) {
    return int(QDir(folder).entryList({u"*.notavo-*"_qs}, QDir::Hidden | QDir::Files).size());
}

bool run(const QStringList& command) {
    return QProcess::execute(command.first(), command.mid(1)) == 0;
}

} // namespace

void tst_DocumentFile::readFailures() {
    QByteArray bytes = "kept";
    QCOMPARE(numberOf(readDocumentFile(at(u"none"_qs), bytes)), FileError::FileNotFound);
    const auto missing = readDocumentFile(at(u"no/such/file"_qs), bytes);
    QCOMPARE(numberOf(missing), FileError::PathNotFound);
    QVERIFY(missing->description.contains(at(u"no/such/file"_qs)));
    QDir(dir.path()).mkdir(u"folder"_qs);
    QCOMPARE(numberOf(readDocumentFile(at(u"folder"_qs), bytes)), FileError::PathFileAccess);
    QCOMPARE(numberOf(readDocumentFile(QString(), bytes)), FileError::BadFileName);
    QCOMPARE(numberOf(readDocumentFile(at(u"a"_qs) + QChar(0), bytes)), FileError::BadFileName);
    // Too large to hold: a sparse file just over the limit.
    QFile huge(at(u"huge"_qs));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(maxDocumentBytes + 1));
    huge.close();
    QCOMPARE(numberOf(readDocumentFile(huge.fileName(), bytes)), FileError::OutOfMemory);
    QCOMPARE(bytes, QByteArray("kept"));
    put(at(u"small"_qs), QByteArray("a\0b", 3));
    QVERIFY(!readDocumentFile(at(u"small"_qs), bytes));
    QCOMPARE(bytes, QByteArray("a\0b", 3));
    // Files under /proc say they are empty and are not.
    QVERIFY(!readDocumentFile(u"/proc/self/status"_qs, bytes));
    QVERIFY(bytes.startsWith("Name:"));
}

void tst_DocumentFile::replaceAndAppendFailures() {
    // Folders, missing folders, full and read-only disks, links and kept modes are covered
    // through the commands in tst_SaveFaults; what stays here are the cases no command reaches.
    QCOMPARE(numberOf(replaceFile(QString(), "x")), FileError::BadFileName);
    const QString doc = at(u"append.nv"_qs);
    QVERIFY(!appendToFile(doc, "one\r\n"));
    QVERIFY(!appendToFile(doc, "two\r\n"));
    QCOMPARE(contentOf(doc), QByteArray("one\r\ntwo\r\n"));
    QCOMPARE(numberOf(appendToFile(at(u"gone/x.nv"_qs), "x")), FileError::PathNotFound);
    if (::geteuid() == 0) {
        const QString mountPoint = at(u"ro"_qs);
        QVERIFY(QDir(dir.path()).mkdir(u"ro"_qs));
        if (!run({u"mount"_qs, u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, u"ro,size=64k"_qs, u"tmpfs"_qs,
                  mountPoint}))
            QSKIP("mount is not permitted here");
        auto unmount = qScopeGuard([&] { run({u"umount"_qs, mountPoint}); });
        QCOMPARE(numberOf(appendToFile(mountPoint + u"/doc.nv"_qs, "new")),
                 FileError::PathFileAccess);
        return; // root writes through any mode
    }
    // A read-only file in a writable folder is not replaced behind its owner's back.
    put(at(u"locked.nv"_qs), "old");
    QVERIFY(::chmod(QFile::encodeName(at(u"locked.nv"_qs)).constData(), 0444) == 0);
    QCOMPARE(numberOf(replaceFile(at(u"locked.nv"_qs), "new")), FileError::PermissionDenied);
    QCOMPARE(contentOf(at(u"locked.nv"_qs)), QByteArray("old"));
}

void tst_DocumentFile::namesCountedInBytes() {
    // 254 and 255 bytes, the most a name can have: the hidden names beside them must fit too,
    // for a rename and for the copy made before writing in place (a file with a second link).
    const QString second = at(u"second"_qs);
    for (const QString& name :
         {QString(125, QChar(0xE9)) + u".txt"_qs, QString(127, QChar(0xE9)) + u'a'}) {
        const QString path = at(name);
        QVERIFY(!replaceFile(path, "first"));
        QCOMPARE(contentOf(path), QByteArray("first"));
        QVERIFY(::link(QFile::encodeName(path).constData(),
                       QFile::encodeName(second).constData()) == 0);
        QVERIFY(!replaceFile(path, "second"));
        QCOMPARE(contentOf(second), QByteArray("second"));
        QVERIFY(QFile::remove(second));
    }
    QCOMPARE(temporaries(dir.path()), 0);
}

void tst_DocumentFile::inPlaceBehindACopy() {
    // A file with a second link is written in place. While its new bytes go in, a copy of the
    // old ones is complete beside it, for a crash, and a record in the state folder says so; a
    // cancel puts them back; the copy and the record then go.
    QTemporaryDir folder;
    const auto records = [&] {
        return QDir(at(u"state/notavo"_qs)).entryList({u"interrupted-save-*"_qs});
    };
    const QString doc = folder.filePath(u"doc.nv"_qs), second = folder.filePath(u"second"_qs);
    put(doc, "old bytes");
    QVERIFY(::link(QFile::encodeName(doc).constData(), QFile::encodeName(second).constData()) == 0);
    const auto entries = [&] {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    for (const bool cancel : {true, false}) {
        QByteArray copy;
        const auto failure = replaceFile(doc, "new", [&](qint64) {
            const QStringList names = entries();
            copy = names.size() == 3 && records().size() == 1 ? contentOf(folder.filePath(names[0]))
                                                              : QByteArray();
            return !cancel;
        });
        QCOMPARE(copy, QByteArray("old bytes"));
        QCOMPARE(failure.has_value(), cancel);
        QCOMPARE(contentOf(second), cancel ? QByteArray("old bytes") : QByteArray("new"));
        QCOMPARE(entries(), QStringList({"doc.nv", "second"}));
        QVERIFY(records().isEmpty());
    }
}

void tst_DocumentFile::linksFollowedOneByOne() {
    // Links on the way, relative (with "..") or absolute, to a file or a folder, are followed
    // name by name: the file they lead to gets the bytes and every link stays a link. A link to
    // nothing makes its target.
    QTemporaryDir folder;
    const auto path = [&](const char* name) { return folder.filePath(QLatin1String(name)); };
    QVERIFY(QDir(folder.path()).mkdir(u"sub"_qs));
    put(path("sub/real.nv"), "old");
    QVERIFY(QFile::link(u"sub/../sub/real.nv"_qs, path("relative")));
    QVERIFY(QFile::link(path("sub"), path("folder")));
    QVERIFY(QFile::link(u"relative"_qs, path("chain")));
    QVERIFY(QFile::link(u"sub/made.nv"_qs, path("dangling")));
    for (const char* name : {"relative", "folder/real.nv", "chain"}) {
        QVERIFY(!replaceFile(path(name), name));
        QCOMPARE(contentOf(path("sub/real.nv")), QByteArray(name));
    }
    QVERIFY(!replaceFile(path("dangling"), "made"));
    QCOMPARE(contentOf(path("sub/made.nv")), QByteArray("made"));
    for (const char* name : {"relative", "folder", "chain", "dangling"})
        QVERIFY(QFileInfo(path(name)).isSymLink());
    QCOMPARE(numberOf(replaceFile(path("sub/real.nv/x"), "x")), FileError::PathNotFound);
}

void tst_DocumentFile::leftoversOfKilledSaves() {
    QTemporaryDir folder;
    const auto make = [&](const QString& name, int age, const QByteArray& bytes = "left") {
        const QString path = folder.filePath(name);
        put(path, bytes);
        const timespec times[2] = {{time(nullptr) - age, 0}, {time(nullptr) - age, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
    };
    const QStringList kept = {u".doc.nv.notavo-fresh1"_qs,
                              u".doc.nv.notavo-Locked"_qs,
                              u".doc.nv.notavo-backup-Ab12Cd"_qs,
                              u".doc.nv.other-Ab12Cd"_qs,
                              u"doc.nv.notavo-Ab12Cd"_qs,
                              u".x.notavo-Theirs"_qs,
                              u"doc.nv"_qs};
    make(kept[0], 0, {}); // a writer may not have locked it yet
    for (const QString& name : kept.mid(1))
        make(name, 600);
    make(u".doc.nv.notavo-Ab12Cd"_qs, 600);
    make(u".doc.nv.notavo-fresh2"_qs, 0); // written and not locked: its writer is gone
    make(u"..notavo-AB12cd"_qs, 600);
    // A writer that still lives holds its lock, however long it takes.
    const int locked = ::open(QFile::encodeName(folder.filePath(kept[1])).constData(), O_RDONLY);
    QVERIFY(locked >= 0 && ::flock(locked, LOCK_EX) == 0);
    auto unlock = qScopeGuard([&] { ::close(locked); });
    if (::geteuid() == 0)
        QVERIFY(::chown(QFile::encodeName(folder.filePath(kept[5])).constData(), 65534, 65534) ==
                0);
    QVERIFY(!replaceFile(folder.filePath(u"doc.nv"_qs), "new"));
    QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QStringList expected = kept;
    if (::geteuid() != 0)
        expected.removeOne(kept[5]); // ours after all
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

QTEST_GUILESS_MAIN(tst_DocumentFile)
#include "tst_DocumentFile.moc"
