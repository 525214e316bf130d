#include "document/DocumentFile.h"
#include "document/FileErrors.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

// Failures of reading and replacing files carry their numbers and never cost the old bytes.
class tst_DocumentFile : public QObject {
    Q_OBJECT
private slots:
    void readFailures();
    void replaceKeepsLinksAndModes();
    void replaceAndAppendFailures();

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

void tst_DocumentFile::replaceAndAppendFailures() {
    // Folders, missing folders, full and read-only disks are covered through the commands in
    // tst_SaveFaults; what stays here are the cases no command reaches that way.
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

QTEST_GUILESS_MAIN(tst_DocumentFile)
#include "tst_DocumentFile.moc"
