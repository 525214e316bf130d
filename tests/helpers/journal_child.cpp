// Edits in the main window at random, through its real commands on the fake dialogs, until
// tst_JournalKills kills it (argv[1]: state folder, argv[2]: work folder, argv[3]: seed). It
// logs to <work>/log, one line a write: "H n" once <work>/expect-n holds the text that batch n of
// the journal leaves, "S n" once batch n is synced, "D" just before New, Open or Save, which
// drop the journal.
#include "document/Document.h"
#include "document/RecoveryJournal.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

namespace {
int logFd = -1;

void log(const QByteArray& line) {
    const QByteArray whole = line + '\n';
    if (::write(logFd, whole.constData(), size_t(whole.size())) != whole.size())
        ::_exit(3);
}

QString randomText(QRandomGenerator& random, int most) {
    static const QString letters = u"abc xyz\néü€𝄞"_qs;
    QString text;
    const int n = random.bounded(1, most);
    for (int i = 0; i < n; ++i)
        text += letters.at(random.bounded(qsizetype(letters.size())));
    return text;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestPlatform::sharedState = QFile::decodeName(argv[1]);
    const QString work = QFile::decodeName(argv[2]);
    QRandomGenerator random(QByteArray(argv[3]).toUInt());
    logFd = ::open(QFile::encodeName(work + u"/log"_qs).constData(),
                   O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    RecoveryJournal& journal = w.recoveryJournal();
    journal.setSyncDelay(random.bounded(5, 60));
    TextView& box = w.txtMain();
    QObject::connect(&journal, &RecoveryJournal::handingOver, [&](quint64 batch) {
        const QString expect = work + u"/expect-"_qs + QString::number(batch);
        QFile file(expect + u".tmp"_qs);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(w.document().buffer().toString().toUtf8()) < 0)
            ::_exit(4);
        file.close();
        QFile::rename(expect + u".tmp"_qs, expect);
        log("H " + QByteArray::number(batch));
    });
    QObject::connect(&journal, &RecoveryJournal::synced,
                     [](quint64 batch) { log("S " + QByteArray::number(batch)); });
    const auto run = [&](const char* name) { w.action(QLatin1String(name))->trigger(); };
    w.show();
    run("mnuFileNew");

    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        const qsizetype size = box.document().buffer().size();
        const int what = random.bounded(100);
        if (what < 60) {
            box.setCursorPosition(random.bounded(size + 1));
            box.insertText(randomText(random, 6), true);
        } else if (what < 70 && size > 0) {
            const qsizetype at = random.bounded(size);
            box.setCursorPosition(at);
            box.setCursorPosition(std::min(size, at + random.bounded(1, 8)), true);
            box.deleteSelection();
        } else if (what < 77) {
            QApplication::clipboard()->setText(randomText(random, 400));
            box.paste();
        } else if (what < 88) {
            box.undo();
        } else if (what < 93) {
            box.replaceWhole(TextBuffer(box.document().buffer().toString().replace(
                                 u'a', random.bounded(2) ? u'A' : u'ä')),
                             0);
        } else if (what < 94) {
            log("D");
            run("mnuFileNew");
        } else if (what < 95) {
            const QString path =
                work + u"/open-"_qs + QString::number(random.bounded(2)) + u".nv"_qs;
            t.dialogs.queuePath(path);
            log("D");
            run("mnuFileOpen");
        } else if (what < 96) {
            if (!w.document().hasSavePath())
                t.dialogs.queuePath(work + u"/saved.nv"_qs);
            log("D");
            run("mnuFileSave");
        }
    });
    step.start(random.bounded(1, 6));
    return app.exec();
}
