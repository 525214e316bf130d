// Open, Save and Replace All when memory runs out at any step: run in a child process under an
// address-space limit just above what it uses, they end as "Error ID: 7" with the text in the box
// and the file on disk as they were, or succeed; never a crash.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

// Runs the helper at each headroom (MB); right(error, size) judges what it left: the error
// number shown and the length of the text in the box. Every run must end normally, at least one
// must run out of memory and one succeed.
void sweep(const char* command, const QString& path, std::initializer_list<int> headrooms,
           const std::function<void()>& before, const std::function<bool(int, qsizetype)>& right) {
    bool failed = false, succeeded = false;
    for (const int headroom : headrooms) {
        before();
        QProcess helper;
        helper.start(QStringLiteral(NOTAVO_LOW_MEMORY),
                     {QLatin1String(command), path, QString::number(headroom)});
        helper.waitForFinished(60000);
        const QByteArray out = helper.readAllStandardOutput();
        const QByteArray at = command + QByteArray(" at a headroom of ") +
                              QByteArray::number(headroom) + " MB: " + out;
        QVERIFY2(helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0 &&
                     out.startsWith("error="),
                 ("crashed, " + at).constData());
        const int error = out.mid(6).split(' ').first().toInt();
        const qsizetype size = out.mid(out.indexOf("size=") + 5).trimmed().toLongLong();
        QVERIFY2((error == 0 || error == 7) && right(error, size), ("wrong, " + at).constData());
        (error == 7 ? failed : succeeded) = true;
    }
    QVERIFY(failed && succeeded);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_OutOfMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void openRunningOutOfMemory();
    void saveRunningOutOfMemory();
    void replaceAllRunningOutOfMemory();

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
    const QString path = dir.filePath(QStringLiteral("large.nv"));
    // One byte a character, and (a euro sign first) two; the rest NUL bytes of a sparse file,
    // which take no room on the disk.
    for (const QByteArray& start : {QByteArray(), QByteArray("\xE2\x82\xAC\n")}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(start) == start.size());
        QVERIFY(file.resize(size));
        file.close();
        const qsizetype opened = size - start.size() + (start.isEmpty() ? 0 : 2);
        // The helper typed "kept" before the Open.
        sweep(
            "open", path, {0, 40, 88, 136, 184, 232, 280, 400}, [] {},
            [&](int error, qsizetype text) { return text == (error == 7 ? 4 : opened); });
    }
}

void tst_OutOfMemory::saveRunningOutOfMemory() {
    const QByteArray line = "a line of the document to be saved\r\n";
    const QByteArray old = line.repeated((qsizetype(16) << 20) / line.size());
    // The helper typed "edited " at the start; the final line break is not part of the text.
    const QByteArray saved = "edited " + old;
    const qsizetype text = saved.size() - old.count('\r') - 1;
    const QString path = dir.filePath(QStringLiteral("doc.nv"));
    sweep(
        "save", path, {0, 8, 16, 24, 32, 48, 64, 200},
        [&] {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        },
        [&](int error, qsizetype size) {
            return size == text && bytesOf(path) == (error == 7 ? old : saved);
        });
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void tst_OutOfMemory::replaceAllRunningOutOfMemory() {
    const QByteArray line = "a line of the document\r\n";
    const qsizetype lines = (qsizetype(16) << 20) / line.size();
    const QString path = dir.filePath(QStringLiteral("replace.nv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(line.repeated(lines)) > 0);
    file.close();
    const qsizetype text = lines * (line.size() - 1) - 1;
    sweep(
        "replace", path, {0, 8, 16, 32, 64, 200}, [] {},
        [&](int error, qsizetype size) { return size == text + (error == 7 ? 0 : lines * 5); });
}

QTEST_MAIN(tst_OutOfMemory)
#include "tst_OutOfMemory.moc"
