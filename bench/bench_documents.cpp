// Opening and saving generated 1, 10 and 100 MB documents (CR LF, about 80 characters a line)
// through the real editing box: time to read, decode and show; time to take a snapshot of the
// text and replace the file with it (encoded as written, synced); and the process's peak
// resident memory after each size.
#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"
#include "document/TextFile.h"
#include "editor/TextView.h"
#include "text/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>

namespace {

qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

QByteArray generate(qint64 size) {
    QByteArray bytes;
    bytes.reserve(size + 100);
    const QByteArray line =
        "The quick brown fox jumps over the lazy dog, 0123456789 caf\xC3\xA9 and more text!\r\n";
    while (bytes.size() < size)
        bytes += line;
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("%8s %14s %14s %14s\n", "size", "open (ms)", "save (ms)", "VmHWM (MB)");
    for (const int megabytes : {1, 10, 100}) {
        const QString path = dir.filePath(QStringLiteral("doc%1.nv").arg(megabytes));
        const QByteArray original = generate(qint64(megabytes) << 20);
        if (replaceFile(path, original))
            return 1;
        QWidget window;
        TextView box(&window);

        QElapsedTimer timer;
        timer.start();
        QByteArray bytes;
        if (readDocumentFile(path, bytes))
            return 1;
        const qint64 readMs = timer.elapsed();
        // As Open does: straight to Latin-1 when the document fits, else to UTF-16.
        DocumentLayout layout;
        TextBuffer text;
        if (auto compact = decodeCompactDocument(bytes)) {
            bytes = QByteArray();
            layout = compact->layout;
            text = TextBuffer(std::move(compact->latin1));
        } else {
            DecodedDocument doc = decodeDocument(bytes);
            bytes = QByteArray();
            layout = doc.layout;
            text = TextBuffer(std::move(doc.text));
        }
        const qint64 decodeMs = timer.elapsed() - readMs;
        box.setBuffer(std::move(text));
        const qint64 openMs = timer.elapsed();

        // As Save does: a snapshot of the text, encoded a piece at a time as it is written.
        timer.restart();
        const TextBuffer snapshot = box.buffer();
        const qint64 textMs = timer.elapsed();
        if (writeTextFile(path, snapshot.parts(), layout, {}))
            return 1;
        const qint64 saveMs = timer.elapsed();
        const qint64 peakKb = peakResidentKb(); // before the checks below add their copies
        // Encoding alone, for comparison: the save overlaps it with the disk's writing.
        timer.restart();
        const QByteArray encoded = encodeDocument(snapshot.parts(), layout);
        const qint64 encodeMs = timer.elapsed();

        QByteArray saved;
        if (readDocumentFile(path, saved) || saved != original || encoded != original)
            std::printf("round trip of %d MB changed bytes\n", megabytes);
        std::printf(
            "%5d MB %14lld %14lld %14.1f   (read %lld, decode+index %lld; snapshot %lld, encoding "
            "alone %lld)\n",
            megabytes, openMs, saveMs, double(peakKb) / 1024.0, readMs, decodeMs, textMs, encodeMs);
        std::fflush(stdout);
    }
    return 0;
}
