// The figures of documents that stress the line index and the layout of long lines, through the
// real main window (offscreen, the open dialog scripted). For a document of one huge line:
// Ctrl+End from its start until painted, key to repaint at its end, key to repaint typed near
// its start, and Ctrl+End and a key at the end again after those edits (which once made every
// segment be measured again). Any document: the time to open it until painted and the
// resident memory with it open.
//
//   bench_lines FILE [RUNS]    prints one key=value line of medians over RUNS (default 5)
#include "BenchTiming.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>
#include <cstdio>

namespace {

using namespace bench;

// Milliseconds from posting a key press until its repaint has been painted.
double keyMs(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
             const QString& typed = QString()) {
    settle();
    const qint64 start = clock_.nsecsElapsed();
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, modifiers, typed));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, modifiers, typed));
    if (!waitForPaintAfter(start))
        return -1;
    return double(lastPaintEnd - start) / 1e6;
}

// The median of seven typed characters.
double typingMs(QWidget* widget) {
    std::vector<double> samples;
    for (int i = 0; i < 7; ++i)
        samples.push_back(keyMs(widget, Qt::Key_X, {}, QStringLiteral("x")));
    return median(samples);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    QString source;
    int runs = 0;
    if (!readArguments(argc, argv, "bench_lines", source, runs))
        return 2;
    clock_.start();
    std::vector<double> open, ctrlEnd, keyEnd, keyStart, endAgain, keyEndAgain;
    qint64 rssKb = 0;
    for (int run = 0; run < runs; ++run) {
        TestPlatform t;
        MainWindow window(t.platform, t.settings);
        window.resize(900, 700);
        window.show();
        settle();
        t.dialogs.queuePath(source);
        const qint64 start = clock_.nsecsElapsed();
        window.action(QStringLiteral("mnuFileOpen"))->trigger();
        if (!waitForPaintAfter(clock_.nsecsElapsed()))
            return 1;
        open.push_back(double(lastPaintEnd - start) / 1e6);
        settle();
        rssKb = statusKb("VmRSS:");
        QWidget* box = &window.txtMain();
        box->setFocus();
        ctrlEnd.push_back(keyMs(box, Qt::Key_End, Qt::ControlModifier));
        keyEnd.push_back(typingMs(box));
        keyMs(box, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i)
            keyMs(box, Qt::Key_Right);
        keyStart.push_back(typingMs(box));
        endAgain.push_back(keyMs(box, Qt::Key_End, Qt::ControlModifier));
        keyEndAgain.push_back(typingMs(box));
    }
    std::printf("open_ms=%.1f rss_mb=%.1f ctrl_end_ms=%.2f key_end_ms=%.2f key_start_ms=%.2f "
                "end_after_edit_ms=%.2f key_end_after_edit_ms=%.2f\n",
                median(open), double(rssKb) / 1024.0, median(ctrlEnd), median(keyEnd),
                median(keyStart), median(endAgain), median(keyEndAgain));
    return 0;
}
