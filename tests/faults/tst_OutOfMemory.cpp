// Open and Save when memory runs out at any step: run in a child process under an address-space
// limit just above what it uses, they end as "Error ID: 7" with the text in the box and the
// file on disk as they were, or succeed; never a crash.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

struct Outcome {
    bool ran = false; // the helper ended normally and said what happened
    int error = -1;
    qsizetype size = -1;
};

Outcome underLimit(const char* command, const QString& path, int headroomMb) {
    QProcess helper;
    helper.start(QStringLiteral(NOTAVO_LOW_MEMORY),
                 {QLatin1String(command), path, QString::number(headroomMb)});
    helper.waitForFinished(60000);
    const QByteArray out = helper.readAllStandardOutput();
    Outcome outcome;
    outcome.ran = helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0 &&
                  out.startsWith("error=");
    if (outcome.ran) {
        outcome.error = out.mid(6).split(' ').first().toInt();
        outcome.size = out.mid(out.indexOf("size=") + 5).trimmed().toLongLong();
    }
    return outcome;
}

// A file of the size that reads back as NUL characters, without taking room on the disk; after
// an optional first line.
void sparseFile(const QString& path, const QByteArray& start, qint64 size) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(start), start.size());
    QVERIFY(file.resize(size));
}

} // namespace

class tst_OutOfMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void openRunningOutOfMemory();
    void saveRunningOutOfMemory();

private:
    QTemporaryDir dir;
};

void tst_OutOfMemory::initTestCase() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("a sanitizer reserves more address space than any limit leaves");
#endif
    QVERIFY(dir.isValid());
}

void tst_OutOfMemory::openRunningOutOfMemory() {
    constexpr qint64 size = qint64(48) << 20;
    // One character per byte, and (a euro sign first) two.
    for (const QByteArray& start : {QByteArray(), QByteArray("\xE2\x82\xAC\n")}) {
        const QString path = dir.filePath(QStringLiteral("large.nv"));
        sparseFile(path, start, size);
        const qsizetype opened = size - start.size() + (start.isEmpty() ? 0 : 2);
        bool failed = false, succeeded = false;
        for (const int headroom : {0, 40, 88, 136, 184, 232, 280, 400}) {
            const Outcome outcome = underLimit("open", path, headroom);
            const QByteArray at = "headroom " + QByteArray::number(headroom) + " MB";
            QVERIFY2(outcome.ran, ("the helper crashed at " + at).constData());
            QVERIFY2(outcome.error == 7 ? outcome.size == 4 : outcome.error == 0,
                     ("error " + QByteArray::number(outcome.error) + " at " + at).constData());
            QVERIFY2(outcome.error == 7 || outcome.size == opened,
                     ("wrong text at " + at).constData());
            (outcome.error == 7 ? failed : succeeded) = true;
        }
        QVERIFY(failed && succeeded);
    }
}

void tst_OutOfMemory::saveRunningOutOfMemory() {
    QByteArray old;
    while (old.size() < (qsizetype(16) << 20))
        old += "a line of the document to be saved\r\n";
    const QByteArray saved = "edited " + old;
    const QString path = dir.filePath(QStringLiteral("doc.nv"));
    bool failed = false, succeeded = false;
    for (const int headroom : {0, 8, 16, 24, 32, 48, 64, 200}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        const Outcome outcome = underLimit("save", path, headroom);
        const QByteArray at = "headroom " + QByteArray::number(headroom) + " MB";
        QVERIFY2(outcome.ran, ("the helper crashed at " + at).constData());
        QVERIFY2(outcome.error == 0 || outcome.error == 7,
                 ("error " + QByteArray::number(outcome.error) + " at " + at).constData());
        // The final line break is not part of the text.
        QVERIFY2(outcome.size == saved.size() - old.count('\r') - 1,
                 ("text changed at " + at).constData());
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QVERIFY2(back.readAll() == (outcome.error == 7 ? old : saved),
                 ("file wrong at " + at).constData());
        (outcome.error == 7 ? failed : succeeded) = true;
    }
    QVERIFY(failed && succeeded);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

QTEST_MAIN(tst_OutOfMemory)
#include "tst_OutOfMemory.moc"
