#include "document/DocumentFile.h"
#include "document/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Failures of reading and replacing files carry their numbers and never cost the old bytes.
class tst_DocumentFile : public QObject {
    Q_OBJECT
private slots:
    void readFailures();
    void replaceKeepsLinksAndModes();
    void replaceFailuresKeepOldBytes();
    void fullAndReadOnlyFileSystems();
    void appendAddsAtomically();
    void killedSaveLeavesOldOrNew();

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
}

void tst_DocumentFile::replaceKeepsLinksAndModes() {
    const QString target = at(u"target.nv"_qs), link = at(u"link.nv"_qs);
    put(target, "old");
    QVERIFY(QFile::link(u"target.nv"_qs, link));
    QVERIFY(!replaceFile(link, "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contentOf(target), QByteArray("new"));
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0755) == 0);
    QVERIFY(!replaceFile(target, "newer"));
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 07777), 0755);
    QCOMPARE(contentOf(link), QByteArray("newer"));
    QCOMPARE(temporaries(dir.path()), 0);
}

void tst_DocumentFile::replaceFailuresKeepOldBytes() {
    QCOMPARE(numberOf(replaceFile(at(u"gone/x.nv"_qs), "x")), FileError::PathNotFound);
    QVERIFY(QDir(dir.path()).mkpath(u"dirpath"_qs));
    QCOMPARE(numberOf(replaceFile(at(u"dirpath"_qs), "x")), FileError::PathFileAccess);
    QVERIFY(QFileInfo(at(u"dirpath"_qs)).isDir());
    QCOMPARE(numberOf(replaceFile(QString(), "x")), FileError::BadFileName);
    if (::geteuid() == 0)
        return; // root writes through any mode; fullAndReadOnlyFileSystems covers it
    const QString folder = at(u"locked"_qs);
    QVERIFY(QDir(dir.path()).mkdir(u"locked"_qs));
    put(folder + u"/doc.nv"_qs, "old");
    QVERIFY(::chmod(QFile::encodeName(folder + u"/doc.nv"_qs).constData(), 0444) == 0);
    QCOMPARE(numberOf(replaceFile(folder + u"/doc.nv"_qs, "new")), FileError::PermissionDenied);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    QCOMPARE(numberOf(replaceFile(folder + u"/other.nv"_qs, "new")), FileError::PermissionDenied);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    QCOMPARE(contentOf(folder + u"/doc.nv"_qs), QByteArray("old"));
}

void tst_DocumentFile::fullAndReadOnlyFileSystems() {
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small tmpfs");
    const QString mountPoint = at(u"tiny"_qs);
    QVERIFY(QDir(dir.path()).mkdir(u"tiny"_qs));
    if (!run({u"mount"_qs, u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, u"size=64k"_qs, u"tmpfs"_qs,
              mountPoint}))
        QSKIP("mount is not permitted here");
    auto unmount = qScopeGuard([&] { run({u"umount"_qs, mountPoint}); });
    const QString doc = mountPoint + u"/doc.nv"_qs;
    QVERIFY(!replaceFile(doc, "old bytes"));
    const auto full = replaceFile(doc, QByteArray(200 * 1024, 'x'));
    QCOMPARE(numberOf(full), FileError::DiskFull);
    QVERIFY(full->description.contains(doc));
    QCOMPARE(contentOf(doc), QByteArray("old bytes"));
    QCOMPARE(temporaries(mountPoint), 0);
    QVERIFY(run({u"mount"_qs, u"-o"_qs, u"remount,ro"_qs, mountPoint}));
    QCOMPARE(numberOf(replaceFile(doc, "new")), FileError::PathFileAccess);
    QCOMPARE(numberOf(appendToFile(doc, "new")), FileError::PathFileAccess);
    QCOMPARE(contentOf(doc), QByteArray("old bytes"));
}

void tst_DocumentFile::appendAddsAtomically() {
    const QString doc = at(u"append.nv"_qs);
    QVERIFY(!appendToFile(doc, "one\r\n"));
    QVERIFY(!appendToFile(doc, "two\r\n"));
    QCOMPARE(contentOf(doc), QByteArray("one\r\ntwo\r\n"));
    QCOMPARE(numberOf(appendToFile(at(u"gone/x.nv"_qs), "x")), FileError::PathNotFound);
}

void tst_DocumentFile::killedSaveLeavesOldOrNew() {
    const QString folder = at(u"killed"_qs), doc = folder + u"/big.nv"_qs;
    QVERIFY(QDir(dir.path()).mkdir(u"killed"_qs));
    constexpr int megabytes = 20;
    const QByteArray a(megabytes << 20, 'a'), b(megabytes << 20, 'b');
    QVERIFY(!replaceFile(doc, a));
    QRandomGenerator random(7);
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(NOTAVO_REPLACE_LOOP, NOTAVO_REPLACE_LOOP, QFile::encodeName(doc).constData(),
                    QByteArray::number(megabytes).constData(), nullptr);
            ::_exit(127);
        }
        QVERIFY(child > 0);
        ::usleep(useconds_t(random.bounded(20000, 400000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY2(WIFSIGNALED(status), "the replacing helper stopped on its own");
        const QByteArray now = contentOf(doc);
        QVERIFY2(now == a || now == b, "a killed save left a mix of old and new bytes");
        QVERIFY(temporaries(folder) <= 1);
    }
}

QTEST_GUILESS_MAIN(tst_DocumentFile)
#include "tst_DocumentFile.moc"
