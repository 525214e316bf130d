// Replace All through the real main window and its Replace window (offscreen, the open dialog
// scripted): from the button until the replaced text is painted, then Undo and Redo from the
// key until painted, and the longest the window went without handling events meanwhile.
//   replace_ms  Replace All of WORD (default "fox") by "vixen", the caret at the start
//   undo_ms     Ctrl+Z after it; redo_ms: Redo after that
//   stall_ms    the longest gap between two ticks of a 2 ms timer during Replace All
//   rss_open_mb resident memory with the document open; peak_mb the peak of the whole run (from
//               the second run on, the text the run before left for Redo is held meanwhile)
//
//   bench_replace FILE [RUNS] [WORD]   prints one key=value line of medians over RUNS (default 5)
#include "BenchTiming.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "find/frmFind.h"
#include "text/TextBuffer.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

using namespace bench;

// Milliseconds from posting a key press until its repaint has been painted.
double keyMs(QWidget* widget, const QKeySequence& keys) {
    settle();
    const QKeyCombination key = keys[0];
    const qint64 start = clock_.nsecsElapsed();
    QCoreApplication::postEvent(
        widget, new QKeyEvent(QEvent::KeyPress, key.key(), key.keyboardModifiers()));
    QCoreApplication::postEvent(
        widget, new QKeyEvent(QEvent::KeyRelease, key.key(), key.keyboardModifiers()));
    if (!waitForPaintAfter(start))
        return -1;
    return double(lastPaintEnd - start) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    QString source;
    int runs = 0;
    if (!readArguments(argc, argv, "bench_replace", source, runs))
        return 2;
    const QString wanted = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("fox");
    const QString replacement = QStringLiteral("vixen");
    clock_.start();

    TestPlatform t;
    MainWindow window(t.platform, t.settings);
    window.resize(900, 700);
    window.show();
    settle();
    t.dialogs.queuePath(source);
    window.action(QStringLiteral("mnuFileOpen"))->trigger();
    settle();
    TextView& box = window.txtMain();
    const qsizetype size = box.buffer().size();
    const double rssOpen = double(statusKb("VmRSS:")) / 1024;
    window.action(QStringLiteral("mnuEditReplace"))->trigger();
    auto* find = window.findChild<frmFind*>();
    find->txtFind()->setText(wanted);
    find->txtReplace()->setText(replacement);
    auto* replaceAll = find->findChild<QPushButton*>(QStringLiteral("cmdReplaceAll"));

    bool inside = false;
    qint64 lastTick = 0;
    double stall = 0;
    QTimer ticks;
    ticks.setInterval(2);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock_.nsecsElapsed();
        if (inside && lastTick > 0)
            stall = std::max(stall, double(now - lastTick) / 1e6);
        lastTick = now;
    });
    ticks.start();

    std::vector<double> replaced, undone, redone, stalls;
    qsizetype count = -1;
    bool right = true;
    for (int run = 0; run < runs; ++run) {
        box.setSelection(0, 0);
        settle();
        stall = 0;
        inside = true;
        lastTick = 0;
        const qint64 start = clock_.nsecsElapsed();
        replaceAll->click();
        inside = false;
        if (!waitForPaintAfter(clock_.nsecsElapsed()))
            return 1;
        replaced.push_back(double(lastPaintEnd - start) / 1e6);
        stalls.push_back(stall);
        count = (box.buffer().size() - size) / (replacement.size() - wanted.size());
        right = right && window.statusText().startsWith(QLatin1String("Replaced "));
        undone.push_back(keyMs(&box, QKeySequence::Undo));
        right = right && box.buffer().size() == size;
        redone.push_back(keyMs(&box, QKeySequence::Redo));
        right = right && box.buffer().size() == size + count * (replacement.size() - wanted.size());
        keyMs(&box, QKeySequence::Undo);
    }
    std::printf("matches=%lld replace_ms=%.1f undo_ms=%.1f redo_ms=%.1f stall_ms=%.1f "
                "rss_open_mb=%.1f peak_mb=%.1f results=%s\n",
                static_cast<long long>(count), median(replaced), median(undone), median(redone),
                median(stalls), rssOpen, double(statusKb("VmHWM:")) / 1024,
                right ? "right" : "WRONG");
    return 0;
}
