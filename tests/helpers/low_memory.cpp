// Opens, saves or replaces in a document through the main window's real commands under an
// address-space limit set just above what the process already uses, for tst_OutOfMemory.
//   notavo_low_memory open FILE HEADROOM_MB     New, "kept" typed, then Open of FILE
//   notavo_low_memory save FILE HEADROOM_MB     Open of FILE, "edited " typed at its start, Save
//   notavo_low_memory replace FILE HEADROOM_MB  Open of FILE, Replace All of "line" by "long line"
// Prints "error=N size=S": the error number shown (0 for none) and the length of the text in
// the box afterwards.
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "find/frmFind.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

bool limitAddressSpace(qint64 headroom) {
    unsigned long long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%llu", &pages) != 1)
        return false;
    std::fclose(statm);
    const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(headroom);
    const rlimit value{limit, limit};
    return ::setrlimit(RLIMIT_AS, &value) == 0;
}

// A save needs only a few megabytes, which the allocator may well hold free already: every byte
// still to be had is taken (the blocks chained through themselves, largest first), then
// headroom given back, so that what the save can use is the headroom (and one megabyte more:
// Qt's own code does not survive having none at all). The rest is held to exit.
void takeAllBut(qint64 headroom) {
    headroom += qint64(1) << 20;
    void* first = nullptr;
    void** last = &first;
    for (size_t block = size_t(64) << 20; block >= sizeof(void*); block /= 2)
        while (void* p = std::malloc(block)) {
            *static_cast<void**>(p) = nullptr;
            *last = p;
            last = static_cast<void**>(p);
        }
    while (first && headroom > 0) {
        void* next = *static_cast<void**>(first);
        headroom -= qint64(::malloc_usable_size(first));
        std::free(first);
        first = next;
    }
}

int shownError(const FakeMessageBox& messages) {
    for (const auto& call : messages.calls)
        if (call.text.startsWith(QLatin1String("Error ID: ")))
            return call.text.section(u'\r', 0, 0).mid(10).toInt();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    const bool save = std::strcmp(argv[1], "save") == 0;
    const bool replace = std::strcmp(argv[1], "replace") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const qint64 headroom = qint64(std::atoi(argv[3])) << 20;
    TextView* view = &w.txtMain();
    if (save || replace) {
        t.dialogs.queuePath(path);
        w.action(u"mnuFileOpen"_qs)->trigger();
    }
    if (save) {
        view->insertText(u"edited "_qs);
    } else if (replace) {
        w.action(u"mnuEditReplace"_qs)->trigger();
        w.findChild<frmFind*>()->txtFind()->setText(u"line"_qs);
        w.findChild<frmFind*>()->txtReplace()->setText(u"long line"_qs);
    } else {
        w.action(u"mnuFileNew"_qs)->trigger();
        view->insertText(u"kept"_qs);
    }
    if (!limitAddressSpace(headroom))
        return 3;
    if (save || replace) {
        takeAllBut(headroom);
        w.action(save ? u"mnuFileSave"_qs : u"actFindReplaceAll"_qs)->trigger();
    } else {
        t.dialogs.queuePath(path);
        w.action(u"mnuFileOpen"_qs)->trigger();
    }
    std::printf("error=%d size=%lld\n", shownError(t.messages), qint64(view->buffer().size()));
    return 0;
}
