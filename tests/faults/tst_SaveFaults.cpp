// Saves, auto-saves and Convert File through the main window's real commands, on the fake
// dialogs, against broken disks and files that change under the program. Every case ends with
// the old bytes intact or the new bytes complete, and a failure shown with its error number.
#include "commands/InterruptedSaves.h"
#include "document/InterruptedSave.h"
#include "editor/TextView.h"
#include "widgets/DocumentWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

enum class Command { Save, SaveAs, SaveCustom, AutoSave, Convert };
constexpr Command commands[] = {Command::Save, Command::SaveAs, Command::SaveCustom,
                                Command::AutoSave, Command::Convert};
const char* const commandNames[] = {"Save", "Save As", "Save Custom", "auto-save", "Convert"};

const QByteArray oldBytes("old line 1\r\nold line 2\r\n");
const QString newText = u"new line 1\nnew line 2"_qs;
const QByteArray newBytes("new line 1\r\nnew line 2\r\n");

bool runTool(const QStringList& command) {
    return QProcess::execute(command.first(), command.mid(1)) == 0;
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Brings the window to the moment just before the command writes: the document in the box and,
// for Save and auto-save, its remembered path; then runs the command on target. A window that
// opened target itself (opened = true) keeps the path it opened.
void attempt(DocumentWindow& d, Command command, const QString& target, const QString& source,
             bool opened = false) {
    if (command != Command::Convert)
        d.w.txtMain().setPlainText(newText);
    if (!opened && (command == Command::Save || command == Command::AutoSave)) {
        d.w.document().setCurrentFile({.saveLocation = SaveLocation::at(target)});
    }
    switch (command) {
    case Command::Save:
        d.run("mnuFileSave");
        break;
    case Command::SaveAs:
        d.t.dialogs.queuePath(target);
        d.run("mnuFileSaveas");
        break;
    case Command::SaveCustom:
        d.t.dialogs.queuePath(target);
        d.run("mnuFileSaveasCustom");
        break;
    case Command::AutoSave:
        d.w.autosavecheck()->setChecked(true);
        d.w.autosavetimerTick();
        break;
    case Command::Convert:
        d.t.dialogs.queuePath(source);
        d.t.dialogs.queuePath(target);
        d.run("mnuConvertFile");
        break;
    }
}

// The error number the user saw, 0 when no error box was shown.
int shownError(const DocumentWindow& d) {
    for (const auto& call : d.t.messages.calls) {
        if (call.text.startsWith(QLatin1String("Error ID: ")))
            return call.text.section(u'\r', 0, 0).mid(10).toInt();
    }
    return 0;
}

// Opens path through the real Open command, as the user did before the file changed.
void openThroughWindow(DocumentWindow& d, const QString& path) {
    d.t.dialogs.queuePath(path);
    d.run("mnuFileOpen");
    QVERIFY(d.w.document().hasSavePath());
}

// On Linux the file-system user is per thread and the commands run on this one: as root, the
// permission checks then apply as for an ordinary user.
struct AsOrdinaryUser {
    const bool root = ::geteuid() == 0;
    AsOrdinaryUser() {
        if (root)
            ::setfsuid(65534);
    }
    ~AsOrdinaryUser() {
        if (root)
            ::setfsuid(0);
    }
};

// Runs the saving helper on doc and kills it delay µs after its first save began. Answers its
// last mark ('s': killed during a save, 'd': between saves), 0 when it did not start or ended
// on its own.
char killSavingHelper(const QString& doc, int megabytes, int delay) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return 0;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execl(NOTAVO_REPLACE_LOOP, NOTAVO_REPLACE_LOOP, QFile::encodeName(doc).constData(),
                QByteArray::number(megabytes).constData(), "window", nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    char mark = 0;
    if (child > 0 && ::read(out[0], &mark, 1) == 1) {
        ::usleep(useconds_t(delay));
        ::kill(child, SIGKILL);
    }
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    char marks[4096];
    ssize_t n;
    while ((n = ::read(out[0], marks, sizeof marks)) > 0)
        mark = marks[n - 1];
    ::close(out[0]);
    return WIFSIGNALED(status) ? mark : 0;
}

} // namespace

class tst_SaveFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fullFileSystem();
    void readOnlyFileSystem();
    void folderWithoutWritePermission();
    void pathIsAFolder();
    void fileReplacedByLink();
    void fileVanished();
    void killedSaves();
    void killedInPlaceSaves();
    void plantedLink();
    void racedLink();
    void foreignFileInSharedFolder();
    void notOrdinaryFiles();
    void attributesKept();
    void writtenInPlace();
    void cleanupTestCase();

private:
    // A failing write: the old file is kept byte for byte, nothing else is left in its folder
    // and the user saw the number.
    void expectFailure(const QString& folder, int number);
    QString sourceFile();
    QTemporaryDir scratch;
    QString mountPoint;
    int cases = 0;
};

void tst_SaveFaults::initTestCase() {
    QVERIFY(scratch.isValid());
    // An ordinary user must reach the files the commands read.
    QVERIFY(::chmod(QFile::encodeName(scratch.path()).constData(), 0755) == 0);
    if (::geteuid() != 0)
        return;
    mountPoint = scratch.filePath(u"tiny"_qs);
    QVERIFY(QDir().mkpath(mountPoint));
    if (!runTool({u"mount"_qs, u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, u"size=64k"_qs, u"tmpfs"_qs,
                  mountPoint}))
        mountPoint.clear();
}

void tst_SaveFaults::cleanupTestCase() {
    if (!mountPoint.isEmpty())
        runTool({u"umount"_qs, mountPoint});
    qInfo("%d fault cases run", cases);
}

QString tst_SaveFaults::sourceFile() {
    const QString source = scratch.filePath(u"source.txt"_qs);
    QFile file(source);
    if (!file.exists()) {
        writeBytes(source, newBytes);
        ::chmod(QFile::encodeName(source).constData(), 0644);
    }
    return source;
}

void tst_SaveFaults::expectFailure(const QString& folder, int number) {
    const QString doc = folder + u"/doc.nv"_qs;
    const QString source = sourceFile();
    for (const Command command : commands) {
        const QByteArray name = commandNames[int(command)];
        DocumentWindow d;
        const QStringList before = entriesOf(folder);
        const bool existed = QFileInfo(doc).isFile();
        attempt(d, command, doc, source);
        ++cases;
        QVERIFY2(shownError(d) == number,
                 (name + " showed error " + QByteArray::number(shownError(d))).constData());
        if (existed)
            QVERIFY2(bytesOf(doc) == oldBytes, (name + " changed the old bytes").constData());
        QVERIFY2(entriesOf(folder) == before, (name + " left something in the folder").constData());
    }
}

void tst_SaveFaults::fullFileSystem() {
    if (mountPoint.isEmpty())
        QSKIP("needs root to mount a small tmpfs");
    const QString doc = mountPoint + u"/doc.nv"_qs;
    writeBytes(doc, oldBytes);
    // Fill the rest so that even the small new document does not fit.
    QFile filler(mountPoint + u"/filler"_qs);
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    expectFailure(mountPoint, 61);
    QVERIFY(filler.remove());
}

void tst_SaveFaults::readOnlyFileSystem() {
    if (mountPoint.isEmpty())
        QSKIP("needs root to mount a small tmpfs");
    writeBytes(mountPoint + u"/doc.nv"_qs, oldBytes);
    QVERIFY(runTool({u"mount"_qs, u"-o"_qs, u"remount,ro"_qs, mountPoint}));
    auto writable = qScopeGuard([&] {
        runTool({u"mount"_qs, u"-o"_qs, u"remount,rw"_qs, mountPoint});
    });
    expectFailure(mountPoint, 75);
}

void tst_SaveFaults::folderWithoutWritePermission() {
    const QString folder = scratch.filePath(u"locked"_qs);
    QVERIFY(QDir().mkpath(folder));
    writeBytes(folder + u"/doc.nv"_qs, oldBytes);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    auto unlock = qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0755); });
    sourceFile();
    AsOrdinaryUser ordinary;
    // setfsuid answers the previous file-system user: ours when the change took.
    if (ordinary.root && ::setfsuid(65534) != 65534)
        QSKIP("root writes through any folder mode here");
    expectFailure(folder, 70);
}

void tst_SaveFaults::pathIsAFolder() {
    const QString folder = scratch.filePath(u"folderpath"_qs);
    QVERIFY(QDir().mkpath(folder + u"/doc.nv"_qs));
    writeBytes(folder + u"/doc.nv/inside"_qs, oldBytes);
    expectFailure(folder, 75);
    QVERIFY(QFileInfo(folder + u"/doc.nv"_qs).isDir());
    QCOMPARE(bytesOf(folder + u"/doc.nv/inside"_qs), oldBytes);
}

void tst_SaveFaults::fileReplacedByLink() {
    const QString folder = scratch.filePath(u"linked"_qs);
    QVERIFY(QDir().mkpath(folder));
    const QString doc = folder + u"/doc.nv"_qs, target = folder + u"/target.nv"_qs;
    const QString source = sourceFile();
    for (const Command command : commands) {
        const QByteArray name = commandNames[int(command)];
        // Replaced by a link to another file, whose target then gets the new bytes (Save asks
        // first, auto-save leaves another program's file alone), or by a link to itself, where
        // nothing can be written. Either way the link stays.
        for (const bool loop : {false, true}) {
            DocumentWindow d;
            writeBytes(doc, oldBytes);
            openThroughWindow(d, doc);
            QVERIFY(QFile::remove(doc));
            if (!loop)
                writeBytes(target, "target's own bytes\r\n");
            QVERIFY(QFile::link(loop ? u"doc.nv"_qs : u"target.nv"_qs, doc));
            d.t.messages.answers << QMessageBox::Yes;
            attempt(d, command, doc, source, true);
            ++cases;
            QVERIFY2(shownError(d) == (loop ? 75 : 0),
                     (name + " showed error " + QByteArray::number(shownError(d))).constData());
            QVERIFY2(QFileInfo(doc).isSymLink(), (name + " replaced the link").constData());
            const bool kept = command == Command::AutoSave;
            QVERIFY2(loop || bytesOf(target) == (kept ? "target's own bytes\r\n" : newBytes),
                     (name + " did not write the link's target").constData());
            QCOMPARE(entriesOf(folder),
                     loop ? QStringList({"doc.nv"}) : QStringList({"doc.nv", "target.nv"}));
            QVERIFY(QFile::remove(doc) && (loop || QFile::remove(target)));
        }
    }
}

void tst_SaveFaults::fileVanished() {
    const QString source = sourceFile();
    for (const Command command : commands) {
        const QByteArray name = commandNames[int(command)];
        const QString folder = scratch.filePath(u"vanishing"_qs);
        const QString doc = folder + u"/doc.nv"_qs;
        // The file alone vanished: saved anew, complete.
        {
            QVERIFY(QDir().mkpath(folder));
            DocumentWindow d;
            writeBytes(doc, oldBytes);
            openThroughWindow(d, doc);
            QVERIFY(QFile::remove(doc));
            attempt(d, command, doc, source, true);
            ++cases;
            QVERIFY2(shownError(d) == 0, (name + " failed on a vanished file").constData());
            QVERIFY2(bytesOf(doc) == newBytes,
                     (name + " did not write the vanished file anew").constData());
        }
        // Its folder vanished too: "Path not found", nothing created anywhere.
        {
            DocumentWindow d;
            openThroughWindow(d, doc);
            QVERIFY(QDir(folder).removeRecursively());
            attempt(d, command, doc, source, true);
            ++cases;
            QVERIFY2(shownError(d) == 76,
                     (name + " did not report the vanished folder").constData());
            QVERIFY2(!QFileInfo::exists(folder),
                     (name + " created the vanished folder").constData());
        }
    }
}

void tst_SaveFaults::killedSaves() {
    // Lines of 'a' or of 'b' ended by CR LF, as the helper saves them through the window.
    constexpr int megabytes = 4;
    const QByteArray line = QByteArray(79, 'a') + "\r\n";
    const QByteArray a = line.repeated((megabytes << 20) / 81);
    const QByteArray b = QByteArray(a).replace('a', 'b');
    const QString folder = scratch.filePath(u"killed"_qs);
    const QString doc = folder + u"/big.nv"_qs;
    QVERIFY(QDir().mkpath(folder));
    writeBytes(doc, a);
    QRandomGenerator random(11);
    int kills = 0, duringSave = 0;
    for (; kills < 60; ++kills) {
        // From the first save on, at a random moment within the next few saves.
        const char mark = killSavingHelper(doc, megabytes, random.bounded(0, 600000));
        QVERIFY2(mark, "the saving helper did not start, or stopped on its own");
        if (mark == 's')
            ++duringSave;
        const QByteArray now = bytesOf(doc);
        QVERIFY2(now == a || now == b, "a killed save left a mix of old and new bytes");
        QVERIFY(entriesOf(folder).size() <= 2); // at most one temporary left behind
    }
    cases += kills;
    qInfo("%d kills, %d of them during a save, 0 bytes lost", kills, duringSave);
}

void tst_SaveFaults::killedInPlaceSaves() {
    // A file with a second link is saved in place; a kill in the middle may leave a mix. The next
    // start (or Open) finds it: Yes puts the old bytes back, No names where they are kept.
    constexpr int megabytes = 2;
    const QByteArray a = (QByteArray(79, 'a') + "\r\n").repeated((megabytes << 20) / 81);
    const QByteArray b = QByteArray(a).replace('a', 'b');
    const QString folder = scratch.filePath(u"killedinplace"_qs), doc = folder + u"/big.nv"_qs;
    const QString state = scratch.filePath(u"killstate"_qs);
    QVERIFY(QDir().mkpath(folder));
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    writeBytes(doc, a);
    QVERIFY(::link(QFile::encodeName(doc).constData(),
                   QFile::encodeName(folder + u"/other"_qs).constData()) == 0);
    QRandomGenerator random(29);
    int kills = 0, cutOff = 0;
    // Until 30 kills have cut a save off (about one in three does).
    for (; cutOff < 30 && kills < 300; ++kills) {
        QVERIFY(killSavingHelper(doc, megabytes, random.bounded(0, 200000)));
        const QList<InterruptedSave> found = interruptedSaves();
        QVERIFY(found.size() <= 1);
        if (found.isEmpty()) {
            const QByteArray now = bytesOf(doc);
            QVERIFY2(now == a || now == b, "a mix of old and new bytes and no record of it");
            continue;
        }
        ++cutOff;
        const QByteArray old = bytesOf(found[0].backup);
        QVERIFY(old == a || old == b);
        DocumentWindow d;
        const int way = cutOff % 3; // the next start with Yes or with No, or Open with Yes
        d.t.messages.answers << (way == 1 ? QMessageBox::No : QMessageBox::Yes);
        if (way == 2) {
            d.t.dialogs.queuePath(doc);
            d.run("mnuFileOpen");
        } else {
            offerInterruptedSaves(d.w.messageBox(), &d.w);
        }
        QCOMPARE(d.t.messages.calls.value(0).text,
                 u"The last save of \"big.nv\" was interrupted. Put back its earlier content?"_qs);
        QCOMPARE(d.t.messages.calls.value(0).title, u"Notavo"_qs);
        QVERIFY(interruptedSaves().isEmpty());
        if (way == 1) {
            QCOMPARE(d.lastBox().text, u"The earlier content of \"big.nv\" is kept in \""_qs +
                                           found[0].backup + u"\"."_qs);
            QCOMPARE(bytesOf(found[0].backup), old);
            QVERIFY(QFile::remove(found[0].backup));
            writeBytes(doc, old); // as the user would, to go on
        } else {
            QCOMPARE(bytesOf(doc), old);
            QVERIFY(!QFileInfo::exists(found[0].backup));
            if (way == 2) // opened after it was put back
                QCOMPARE(d.w.txtMain().toPlainText().size(), a.size() - a.size() / 81 - 1);
        }
        QCOMPARE(bytesOf(folder + u"/other"_qs), bytesOf(doc)); // still one file
    }
    cases += kills;
    qInfo("%d kills of in-place saves, %d cut one off; every one put back or named", kills, cutOff);
    QVERIFY(cutOff >= 30);
}

void tst_SaveFaults::plantedLink() {
    if (::geteuid() != 0)
        QSKIP("needs root to plant a link as another user");
    // Another user's "doc.nv" in a shared sticky folder, pointing at one of our files.
    const QString shared = scratch.filePath(u"shared"_qs), victim = scratch.filePath(u"victim"_qs);
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    writeBytes(victim, oldBytes);
    const QByteArray link = QFile::encodeName(shared + u"/doc.nv"_qs);
    QVERIFY(::symlink(QFile::encodeName(victim).constData(), link.constData()) == 0);
    QVERIFY(::lchown(link.constData(), 65534, 65534) == 0);
    expectFailure(shared, 70);
    // Our own link there is followed.
    QVERIFY(::lchown(link.constData(), 0, 0) == 0);
    DocumentWindow d;
    attempt(d, Command::SaveAs, QFile::decodeName(link), QString());
    QCOMPARE(shownError(d), 0);
    QCOMPARE(bytesOf(victim), newBytes);
}

void tst_SaveFaults::racedLink() {
    if (::geteuid() != 0)
        QSKIP("needs root to plant a link as another user");
    // Another user plants "doc.nv" -> victim in a shared sticky folder and removes it again, in a
    // tight loop, while Save runs: no save may ever write through the link.
    const QString shared = scratch.filePath(u"raced"_qs), victim = scratch.filePath(u"victim2"_qs);
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    writeBytes(victim, oldBytes);
    const QByteArray link = QFile::encodeName(shared + u"/doc.nv"_qs);
    const QByteArray target = QFile::encodeName(victim);
    const pid_t attacker = ::fork();
    if (attacker == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        for (unsigned round = 0;; ++round) {
            ::symlink(target.constData(), link.constData());
            ::usleep(20 + round % 60);
            ::unlink(link.constData());
            ::usleep(100 + round % 300);
        }
    }
    QVERIFY(attacker > 0);
    auto stop = qScopeGuard([&] {
        ::kill(attacker, SIGKILL);
        ::waitpid(attacker, nullptr, 0);
    });
    DocumentWindow d;
    d.w.txtMain().setPlainText(newText);
    d.w.document().setCurrentFile({.saveLocation = SaveLocation::at(QFile::decodeName(link))});
    int saved = 0, refused = 0;
    for (int round = 0; round < 1000; ++round) {
        struct stat info {};
        // Our own file from the last save goes, so that the race is run again.
        if (::lstat(link.constData(), &info) == 0 && S_ISREG(info.st_mode))
            QVERIFY(::unlink(link.constData()) == 0);
        d.t.messages.calls.clear();
        d.run("mnuFileSave");
        const int error = shownError(d);
        QVERIFY2(error == 0 || error == 70, QByteArray::number(error).constData());
        if (error == 0) {
            ++saved;
            QVERIFY(::lstat(link.constData(), &info) == 0 && S_ISREG(info.st_mode));
            QCOMPARE(bytesOf(QFile::decodeName(link)), newBytes);
        } else {
            ++refused;
        }
        QVERIFY2(bytesOf(victim) == oldBytes, "a save wrote through the planted link");
    }
    cases += saved + refused;
    qInfo("raced link: %d saves written, %d refused, 0 through the link", saved, refused);
}

void tst_SaveFaults::foreignFileInSharedFolder() {
    if (::geteuid() != 0)
        QSKIP("needs root to make another user's file");
    // Another user made "doc.nv" in advance, empty and writable by anyone, to receive our text.
    const QString shared = scratch.filePath(u"sharedfiles"_qs), doc = shared + u"/doc.nv"_qs;
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    const QString source = sourceFile();
    for (const QString& name :
         {u"Save"_qs, u"Save As"_qs, u"auto-save"_qs, u"Clear"_qs, u"Convert"_qs}) {
        writeBytes(doc, {});
        QVERIFY(::chmod(QFile::encodeName(doc).constData(), 0666) == 0);
        QVERIFY(::chown(QFile::encodeName(doc).constData(), 65534, 65534) == 0);
        DocumentWindow d;
        if (name == u"Clear"_qs) {
            d.w.txtMain().setPlainText(newText);
            d.t.messages.answers << QMessageBox::Yes;
            d.t.dialogs.queuePath(doc);
            d.run("mnuFileClear");
        } else {
            const Command command = name == u"Save"_qs      ? Command::Save
                                    : name == u"Save As"_qs ? Command::SaveAs
                                    : name == u"Convert"_qs ? Command::Convert
                                                            : Command::AutoSave;
            attempt(d, command, doc, source);
        }
        ++cases;
        QVERIFY2(shownError(d) == 70, qPrintable(name + u" did not refuse the file"_qs));
        QVERIFY2(bytesOf(doc).isEmpty(), qPrintable(name + u" wrote into the file"_qs));
        QCOMPARE(entriesOf(shared), QStringList({"doc.nv"}));
        QVERIFY(QFile::remove(doc));
    }
}

namespace {
// Runs a command that reads path. A command that blocks in opening a named pipe there is let go
// after a while (a writer comes and goes, so it reads nothing), so the test fails, not hangs.
qint64 runTimed(DocumentWindow& d, const char* action, const QString& path) {
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        for (int i = 0; i < 15 && !done; ++i)
            ::usleep(100000);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    QElapsedTimer elapsed;
    elapsed.start();
    d.run(action);
    done = true;
    releaser.join();
    return elapsed.elapsed();
}
} // namespace

void tst_SaveFaults::notOrdinaryFiles() {
    // A named pipe, a socket and a device node (as root) where a document was expected: every
    // command that reads or writes it refuses it at once, and it stays what it was.
    const QString source = sourceFile();
    for (const char* kind : {"pipe", "socket", "device"}) {
        const QString folder = scratch.filePath(QLatin1String(kind));
        const QString doc = folder + u"/doc.nv"_qs;
        const QByteArray node = QFile::encodeName(doc);
        QVERIFY(QDir().mkpath(folder));
        int made = -1;
        mode_t type = S_IFIFO;
        if (kind == QLatin1String("pipe")) {
            made = ::mkfifo(node.constData(), 0666);
        } else if (kind == QLatin1String("socket")) {
            type = S_IFSOCK;
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, node.constData(), sizeof address.sun_path - 1);
            made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::close(fd);
        } else if (::geteuid() == 0) {
            type = S_IFCHR; // what /dev/null is
            made = ::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3));
        } else {
            continue;
        }
        QVERIFY(made == 0);
        expectFailure(folder, 75);
        for (const char* action : {"mnuFileOpen", "mnuOpenCustom", "mnuConvertFile", "Clear"}) {
            DocumentWindow d;
            d.w.txtMain().setPlainText(newText);
            d.t.dialogs.queuePath(doc);
            d.t.messages.answers << QMessageBox::Yes;
            const bool clear = action == QByteArray("Clear");
            const qint64 ms = runTimed(d, clear ? "mnuFileClear" : action, doc);
            ++cases;
            const QByteArray what = QByteArray(action) + " on a " + kind;
            QVERIFY2(shownError(d) == 75, (what + " showed no error 75").constData());
            QVERIFY2(ms < 1000, (what + " took " + QByteArray::number(ms) + " ms").constData());
            QVERIFY2(d.w.txtMain().toPlainText() == newText, (what + " lost the text").constData());
            struct stat info {};
            QVERIFY(::lstat(node.constData(), &info) == 0 && (info.st_mode & S_IFMT) == type);
        }
    }
}

void tst_SaveFaults::attributesKept() {
    // An ACL and a user's attribute go with the renamed file.
    const QString folder = scratch.filePath(u"attributes"_qs);
    const QString doc = folder + u"/doc.nv"_qs;
    QVERIFY(QDir().mkpath(folder));
    const QString source = sourceFile();
    const auto attributes = [&] {
        QProcess dump;
        dump.start(u"getfattr"_qs, {u"-d"_qs, u"-m"_qs, u"-"_qs, u"--absolute-names"_qs, doc});
        return dump.waitForFinished() ? dump.readAllStandardOutput() : QByteArray();
    };
    for (const Command command : commands) {
        const QByteArray name = commandNames[int(command)];
        QFile::remove(doc);
        writeBytes(doc, oldBytes);
        QVERIFY(runTool({u"setfacl"_qs, u"-m"_qs, u"u:65534:rw"_qs, doc}));
        QVERIFY(runTool({u"setfattr"_qs, u"-n"_qs, u"user.origin"_qs, u"-v"_qs, u"phone"_qs, doc}));
        const QByteArray before = attributes();
        QVERIFY(before.contains("system.posix_acl_access") && before.contains("user.origin"));
        DocumentWindow d;
        attempt(d, command, doc, source);
        ++cases;
        QVERIFY2(shownError(d) == 0 && bytesOf(doc) == newBytes, name.constData());
        QVERIFY2(attributes() == before, (name + " lost the ACL or the attribute").constData());
        QCOMPARE(entriesOf(folder), QStringList({"doc.nv"}));
    }
}

void tst_SaveFaults::writtenInPlace() {
    if (::geteuid() != 0)
        QSKIP("needs root to give files to other users");
    // As an ordinary user: another user's file that we may write, in a folder we may write
    // (a rename would make it ours), and a file we may write in a folder we may not.
    const QString foreign = scratch.filePath(u"foreign"_qs),
                  locked = scratch.filePath(u"locked2"_qs);
    const QString state = scratch.filePath(u"state"_qs);
    for (const QString& folder : {foreign, locked, state})
        QVERIFY(QDir().mkpath(folder));
    QVERIFY(::chmod(QFile::encodeName(foreign).constData(), 0777) == 0);
    QVERIFY(::chown(QFile::encodeName(state).constData(), 65534, 65534) == 0);
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    auto unlock = qScopeGuard([&] { ::chmod(QFile::encodeName(locked).constData(), 0755); });
    const QString source = sourceFile();
    for (const QString& folder : {foreign, locked}) {
        const QString doc = folder + u"/doc.nv"_qs;
        for (const Command command : commands) {
            const QByteArray name = commandNames[int(command)];
            ::chmod(QFile::encodeName(locked).constData(), 0755);
            writeBytes(doc, oldBytes);
            QVERIFY(::chmod(QFile::encodeName(doc).constData(), 0666) == 0);
            QVERIFY(::chown(QFile::encodeName(doc).constData(), 1000, 1000) == 0);
            QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0555) == 0);
            DocumentWindow d;
            {
                AsOrdinaryUser ordinary;
                attempt(d, command, doc, source);
            }
            ++cases;
            QVERIFY2(shownError(d) == 0, (name + " failed").constData());
            QVERIFY2(bytesOf(doc) == newBytes, (name + " did not write").constData());
            struct stat info {};
            QVERIFY(::stat(QFile::encodeName(doc).constData(), &info) == 0);
            QVERIFY2(info.st_uid == 1000 && info.st_gid == 1000,
                     (name + " changed the owner").constData());
            QCOMPARE(entriesOf(folder), QStringList({"doc.nv"}));
        }
    }
    // The copies made for the locked folder were removed after the write.
    QVERIFY(entriesOf(state + u"/notavo/backups"_qs).isEmpty());
}

QTEST_MAIN(tst_SaveFaults)
#include "tst_SaveFaults.moc"
