// Find and Go To Line on one document, through the real main window and its commands
// (offscreen, the open dialog scripted): from the key (F3, or Return in the Go To Line dialog)
// until the window has painted the result, the caret starting at the start of the document.
//   find_next_ms  F3 for the number of the last line, a word found only near the end
//   not_found_ms  F3 for a word that does not occur, until "Not found" is painted
//   goto_line_ms  Return on line 1,000,000 (or the last line of a shorter document)
//
//   bench_find FILE [RUNS]      prints one key=value line of medians over RUNS (default 5)
//
// No peer figure beside these: the peer benchmark starts an editor and times it until it is
// idle, with no way to run a search inside one and see when the match is painted; and the peers
// search as the text is typed into a find bar, which is not the same work as Find Next.
#include "BenchTiming.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "find/frmFind.h"
#include "find/frmGoToLine.h"
#include "text/TextBuffer.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace bench;

namespace {

// Milliseconds from F3 at the start of the document until the outcome is painted.
double findNextMs(frmMain& window, frmFind& find, const QString& wanted) {
    find.txtFind()->setText(wanted);
    window.txtMain().setSelection(0, 0);
    window.statusbarclearTick();
    settle();
    const qint64 start = clock_.nsecsElapsed();
    QTest::keyClick(&window.txtMain(), Qt::Key_F3);
    const qint64 handled = clock_.nsecsElapsed();
    if (!waitForPaintAfter(handled))
        return -1;
    return double(lastPaintEnd - start) / 1e6;
}

double goToLineMs(frmMain& window, qsizetype line) {
    window.txtMain().setSelection(0, 0);
    settle();
    qint64 start = 0;
    QTimer::singleShot(0, &window, [&] {
        if (auto* ask = qobject_cast<frmGoToLine*>(QApplication::activeModalWidget())) {
            ask->txtLine()->setText(QString::number(line));
            start = clock_.nsecsElapsed();
            QTest::keyClick(ask->txtLine(), Qt::Key_Return);
        }
    });
    window.action(QStringLiteral("mnuEditGoToLine"))->trigger();
    const qint64 handled = clock_.nsecsElapsed();
    if (start == 0 || !waitForPaintAfter(handled))
        return -1;
    return double(lastPaintEnd - start) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    QString source;
    int runs = 0;
    if (!readArguments(argc, argv, "bench_find", source, runs))
        return 2;
    clock_.start();

    TestPlatform t;
    MainWindow window(t.platform, t.settings);
    window.show();
    settle();
    t.dialogs.queuePath(source);
    window.action(QStringLiteral("mnuFileOpen"))->trigger();
    settle();
    const TextBuffer& text = window.txtMain().buffer();
    if (text.lineCount() < 3)
        return 1;
    window.action(QStringLiteral("mnuEditFind"))->trigger();
    auto* find = window.findChild<frmFind*>();
    find->hide();
    window.activateWindow();
    // The number that starts the last line of text: it occurs nowhere else.
    const qsizetype last = text.lineCount() - 2;
    const QString nearEnd = text.mid(text.lineStart(last), 7);
    const qsizetype line = std::min<qsizetype>(1000000, text.lineCount());

    std::vector<double> found, missing, jumped;
    bool right = true;
    for (int run = 0; run < runs; ++run) {
        found.push_back(findNextMs(window, *find, nearEnd));
        right = right && window.txtMain().selectionStart() == text.lineStart(last);
        missing.push_back(findNextMs(window, *find, QStringLiteral("zanzibar")));
        right = right && window.statusText() == QLatin1String("Not found: zanzibar");
        jumped.push_back(goToLineMs(window, line));
        right = right && window.txtMain().selectionStart() == text.lineStart(line - 1);
    }
    std::printf("lines=%lld find_next_ms=%.1f not_found_ms=%.1f goto_line_ms=%.2f results=%s\n",
                static_cast<long long>(text.lineCount()), median(found), median(missing),
                median(jumped), right ? "right" : "WRONG");
    return 0;
}
