// Saves the file at argv[1] through the main window's real commands, on the fake dialogs, until
// tst_SaveFaults kills it at a random moment (argv[2]: size in MB, argv[3]: "window"). It opens the
// file, which must hold lines of 'a' or of 'b' ended by CR LF, then saves lines of the other letter
// by Save, Save As and the auto-save tick in turn. It writes "s" to stdout before each save and "d"
// after it, so that the killer knows what it hit.
#include "document/Document.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int saveThroughWindow(int argc, char** argv, const QString& path, qsizetype size) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The state folder is the test's: that is where it looks for the record of a cut-off save.
    TestPlatform::sharedState = qEnvironmentVariable("XDG_STATE_HOME");
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    t.dialogs.queuePath(path);
    w.action(u"mnuFileOpen"_qs)->trigger();
    if (!w.document().hasSavePath())
        return 1;
    const QString line = QString(79, u'a') + u'\n';
    // The file's final break is not part of the text.
    QString texts[2] = {line.repeated(size / 81).chopped(1), QString()};
    texts[1] = QString(texts[0]).replace(u'a', u'b');
    w.autosavecheck()->setChecked(true);
    for (unsigned round = 0;; ++round) {
        w.txtMain().setPlainText(texts[round % 2]);
        std::fputs("s", stdout);
        std::fflush(stdout);
        switch (round % 3) {
        case 0:
            w.action(u"mnuFileSave"_qs)->trigger();
            break;
        case 1:
            t.dialogs.queuePath(path);
            w.action(u"mnuFileSaveas"_qs)->trigger();
            break;
        default:
            w.autosavetimerTick();
        }
        std::fputs("d", stdout);
        std::fflush(stdout);
        if (!t.messages.calls.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(t.messages.calls.last().text));
            return 1;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (!(argc == 4 && std::strcmp(argv[3], "window") == 0))
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const qsizetype size = qsizetype(std::atoi(argv[2])) << 20;
    return saveThroughWindow(argc, argv, path, size);
}
