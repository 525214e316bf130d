// The figures a user feels with one document, through the real main window and its commands
// (offscreen, the open and save dialogs scripted): time from the open dialog closing until the
// first screen of the new text is painted and until the whole document is editable;
// key-to-repaint latency at the start, middle and end; resident memory with the document open;
// Save As (encode, replace and sync) from the dialog closing to the command's end; and, as the
// measure of the disk itself, writing the same number of bytes to a new file in the same folder
// and syncing it.
//
//   bench_editing FILE [RUNS] [no-journal]   prints one key=value line of medians over RUNS
//                                            (default 5), the journal off with no-journal
#include "BenchTiming.h"
#include "document/DocumentFile.h"
#include "document/RecoveryJournal.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "text/TextBuffer.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

void placeCaret(QWidget* widget, double fraction) {
    if (auto* view = qobject_cast<TextView*>(widget)) {
        const TextBuffer& text = view->buffer();
        view->setCursorPosition(
            fraction >= 1.0 ? text.size()
                            : text.lineStart(qsizetype(fraction * double(text.lineCount() - 1))));
        // Far from the last edit, so the timed key also moves the buffer's gap there.
        QCoreApplication::postEvent(widget,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier));
    }
}

// The slowest single key of all timed, wherever it was typed.
double slowestKeyMs = 0;

// Milliseconds from posting one key press until its repaint has been painted.
double keyLatencyMs(QWidget* widget, double fraction) {
    placeCaret(widget, fraction);
    std::vector<double> samples;
    for (int i = 0; i < 7; ++i) {
        settle();
        const qint64 start = clock_.nsecsElapsed();
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_X,
                                                          Qt::NoModifier, QStringLiteral("x")));
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, Qt::Key_X,
                                                          Qt::NoModifier, QStringLiteral("x")));
        if (!waitForPaintAfter(start))
            return -1;
        samples.push_back(double(lastPaintEnd - start) / 1e6);
        slowestKeyMs = std::max(slowestKeyMs, samples.back());
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

qsizetype textSize(const TextView& box) {
    return box.buffer().size();
}

// Milliseconds to write size bytes to a new file and sync it to disk; -1 when that failed.
double rawWriteMs(const QString& path, qint64 size) {
    const QByteArray bytes(size, 'x');
    QElapsedTimer timer;
    timer.start();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    bool ok = true;
    for (qint64 done = 0; ok && done < size;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(size - done));
        ok = n > 0;
        done += n;
    }
    ok = ::fsync(fd) == 0 && ok;
    ::close(fd);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    ::unlink(QFile::encodeName(path).constData());
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    QString source;
    int runs = 0;
    if (!readArguments(argc, argv, "bench_editing", source, runs))
        return 2;
    QTemporaryDir dir;
    const QString savePath = dir.filePath(QStringLiteral("saved.txt"));
    clock_.start();

    std::vector<double> first, editable, keyStart, keyMiddle, keyEnd, save, rawWrite;
    qint64 rssKb = 0;
    qint64 openPeakKb = 0; // before the benchmark's own byte checks add to it
    qint64 fileBytes = 0;
    bool exact = true;
    bool keysTyped = true;
    for (int run = 0; run < runs; ++run) {
        TestPlatform t;
        MainWindow window(t.platform, t.settings);
        // The figures without the recovery journal, to set beside those with it.
        if (argc > 3 && std::strcmp(argv[3], "no-journal") == 0)
            window.recoveryJournal().discard();
        window.resize(900, 700);
        window.show();
        settle();
        TextView& box = window.txtMain();

        t.dialogs.queuePath(source);
        const qint64 start = clock_.nsecsElapsed();
        window.action(QStringLiteral("mnuFileOpen"))->trigger();
        const qint64 loaded = clock_.nsecsElapsed();
        if (!waitForPaintAfter(loaded))
            return 1;
        fileBytes = QFileInfo(source).size();
        first.push_back(double(lastPaintEnd - start) / 1e6);
        editable.push_back(double(std::max(loaded, lastPaintEnd) - start) / 1e6);
        settle();
        rssKb = statusKb("VmRSS:");
        if (run == 0)
            openPeakKb = statusKb("VmHWM:");

        // The disk's own time for as many bytes as the save writes, just before it.
        rawWrite.push_back(rawWriteMs(dir.filePath(QStringLiteral("raw.bin")), fileBytes + 2));
        // Save the text as opened before typing into it, and check it came back byte for byte.
        t.dialogs.queuePath(savePath);
        QElapsedTimer timer;
        timer.start();
        window.action(QStringLiteral("mnuFileSaveas"))->trigger();
        save.push_back(double(timer.nsecsElapsed()) / 1e6);
        const qsizetype openedSize = textSize(box);
        if (run == 0) {
            QByteArray original, saved;
            const bool read =
                !readDocumentFile(source, original) && !readDocumentFile(savePath, saved);
            exact = exact && read && (original == saved || original + "\r\n" == saved);
        }

        box.setFocus();
        keyStart.push_back(keyLatencyMs(&box, 0.0));
        keyMiddle.push_back(keyLatencyMs(&box, 0.5));
        keyEnd.push_back(keyLatencyMs(&box, 1.0));
        // Every key timed must have typed its character.
        if (run == 0 && textSize(box) != openedSize + 21)
            keysTyped = false;
    }
    std::printf("bytes=%lld first_ms=%.1f editable_ms=%.1f key_start_ms=%.2f key_middle_ms=%.2f "
                "key_end_ms=%.2f key_slowest_ms=%.2f rss_mb=%.1f peak_mb=%.1f save_ms=%.1f "
                "raw_write_ms=%.1f round_trip=%s keys=%s\n",
                fileBytes, median(first), median(editable), median(keyStart), median(keyMiddle),
                median(keyEnd), slowestKeyMs, double(rssKb) / 1024.0, double(openPeakKb) / 1024.0,
                median(save), median(rawWrite), exact ? "exact" : "CHANGED",
                keysTyped ? "typed" : "LOST");
    return 0;
}
