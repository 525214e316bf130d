#include "commands/LongTask.h"
#include "editor/TextView.h"
#include "find/frmFind.h"
#include "find/frmGoToLine.h"
#include "text/TextBuffer.h"
#include "widgets/DocumentWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

const QStringList editEntries = {"mnuEditFind", "mnuEditFindNext", "mnuEditFindPrevious",
                                 "mnuEditReplace", "mnuEditGoToLine"};

frmFind* findWindow(DocumentWindow& d) {
    return d.w.findChild<frmFind*>();
}

QPushButton* button(DocumentWindow& d, const char* name) {
    return findWindow(d)->findChild<QPushButton*>(QLatin1String(name));
}

QString selected(DocumentWindow& d) {
    const TextView& box = d.w.txtMain();
    return box.buffer().mid(box.selectionStart(), box.selectionEnd() - box.selectionStart());
}

// A document typed after New, the keyboard in it.
void startDocument(DocumentWindow& d, const QString& text) {
    d.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d.w));
    d.run("mnuFileNew");
    const QStringList lines = text.split(u'\n');
    for (const QString& line : lines) {
        if (&line != &lines.constFirst())
            QTest::keyClick(&d.w.txtMain(), Qt::Key_Return);
        QTest::keyClicks(&d.w.txtMain(), line);
    }
    d.w.txtMain().setSelection(0, 0);
}

// Runs the Go To Line dialog: each answer is typed and confirmed with Return, the last one
// with Escape when it is empty. Answers what the dialog showed after each.
QStringList goToLine(DocumentWindow& d, const QStringList& answers) {
    QStringList problems;
    QTimer::singleShot(0, &d.w, [&] {
        auto* ask = qobject_cast<frmGoToLine*>(QApplication::activeModalWidget());
        if (!ask)
            return;
        for (const QString& answer : answers) {
            if (answer.isEmpty()) {
                QTest::keyClick(ask->txtLine(), Qt::Key_Escape);
                break;
            }
            ask->txtLine()->clear();
            QTest::keyClicks(ask->txtLine(), answer);
            QTest::keyClick(ask->txtLine(), Qt::Key_Return);
            problems << (ask->lblProblem()->isVisible() ? ask->lblProblem()->text() : QString());
        }
    });
    d.run("mnuEditGoToLine");
    return problems;
}

// What a screen reader hears of the find windows' outcome lines: role, then text.
QStringList heard;
void listen(QAccessibleEvent* event) {
    QAccessibleInterface* told = event->accessibleInterface();
    if (event->type() == QAccessible::NameChanged && told && told->object() &&
        told->object()->objectName().startsWith(u"lbl"_qs))
        heard << QString::number(told->role(), 16) + u' ' + told->text(QAccessible::Name);
}

} // namespace

// Find, Find Next, Find Previous, Replace and Go To Line through the real main window.
class tst_FindCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // As when a screen reader runs: the platform's accessibility is on.
        QAccessible::installUpdateHandler(listen);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    void entriesFollowTheDocumentAndTheHold();
    void findSelectsWrapsAndReports();
    void escapeReturnsToTheTextWithTheMatch();
    void replaceTakesTheMatchThenTheNext();
    void goToLineRefusesWhatIsNoLineNumber();
    void everyMenuOpensFromTheKeyboard();
    void replaceAllIsOneStep();
};

void tst_FindCommands::entriesFollowTheDocumentAndTheHold() {
    DocumentWindow d;
    d.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d.w));
    // Greyed before New: tst_frmmain.
    d.run("mnuFileNew");
    for (const QString& name : editEntries)
        QVERIFY(d.w.action(name)->isEnabled());
    d.run("mnuEditReplace");
    // Long work holds the find window's buttons with the menus, and lets them go after.
    bool held = false;
    QTimer::singleShot(200, &d.w, [&] {
        held = !d.w.action(u"mnuEditFindNext"_qs)->isEnabled() &&
               !button(d, "cmdNext")->isEnabled() && !button(d, "cmdReplace")->isEnabled();
        d.w.findChild<QPushButton*>(u"cmdCancelTask"_qs)->click();
    });
    {
        WindowHold hold(d.w, d.w.txtMain());
        runLongTask(hold, u"Working"_qs, {qint64(1) << 30, qint64(1) << 30}, [](LongTask& task) {
            while (!task.cancelled())
                QThread::msleep(5);
            return 0;
        });
    }
    QVERIFY(held);
    QVERIFY(button(d, "cmdNext")->isEnabled() && button(d, "cmdReplace")->isEnabled());

    // The find window open changes nothing for the document commands and auto-save.
    QVERIFY(findWindow(d)->isVisible());
    d.t.dialogs.queuePath(d.path("a.nv"));
    d.run("mnuFileSave");
    d.w.txtMain().setPlainText(u"typed on"_qs);
    d.w.autosavecheck()->click();
    d.w.autosavetimerTick();
    QCOMPARE(bytesOf(d.path("a.nv")), QByteArray("typed on\r\n"));
    d.t.messages.answers << QMessageBox::No;
    d.run("mnuFileClear");
    QCOMPARE(d.w.txtMain().toPlainText(), QString());
    QCOMPARE(d.name(), u"No file loaded"_qs);
}

void tst_FindCommands::findSelectsWrapsAndReports() {
    DocumentWindow d;
    startDocument(d, u"Anna 555-0100\nhannah ANNA\nanna"_qs);
    d.w.txtMain().setSelection(0, 4);
    QTest::keyClick(&d.w.txtMain(), Qt::Key_F, Qt::ControlModifier);
    frmFind* find = findWindow(d);
    QVERIFY(find && find->isVisible());
    QCOMPARE(find->wanted(), u"Anna"_qs); // the selection, being on one line
    QVERIFY(!button(d, "cmdReplace")->isVisible());

    // Return finds the next match, whatever its case, inside a word too.
    QTest::keyClick(find->txtFind(), Qt::Key_Return);
    QCOMPARE(d.w.txtMain().selectionStart(), 15);
    QCOMPARE(selected(d), u"anna"_qs);
    find->chkWholeWord()->setChecked(true);
    QTest::keyClick(find->txtFind(), Qt::Key_Return);
    QCOMPARE(selected(d), u"ANNA"_qs);
    find->chkMatchCase()->setChecked(true);
    QTest::keyClick(find->txtFind(), Qt::Key_Return);
    QCOMPARE(d.w.txtMain().selectionStart(), 0); // round the end to the start
    QCOMPARE(d.w.statusText(), u"Reached the end; continued from the start"_qs);
    button(d, "cmdPrevious")->click();
    QCOMPARE(d.w.txtMain().selectionStart(), 0);
    QCOMPARE(d.w.statusText(), u"Reached the start; continued from the end"_qs);

    find->txtFind()->setText(u"Hannah"_qs);
    heard.clear();
    button(d, "cmdNext")->click();
    QTest::keyClick(find->txtFind(), Qt::Key_Return);
    QCOMPARE(d.w.statusText(), u"Not found: Hannah"_qs);
    QCOMPARE(d.w.txtMain().selectionStart(), 0); // the selection stays
    // The find window shows it too, and a screen reader hears it each time, as a status line.
    QCOMPARE(find->outcomeText(), u"Not found: Hannah"_qs);
    QCOMPARE(heard, QStringList(2, u"17 Not found: Hannah"_qs));
    find->txtFind()->setText(u"anna"_qs);
    button(d, "cmdNext")->click();
    QCOMPARE(find->outcomeText(), QString()); // found: nothing to tell
    find->findChild<QPushButton*>(u"cmdClose"_qs)->click();
    QVERIFY(!find->isVisible());
    QTRY_VERIFY(d.w.txtMain().hasFocus());

    // A selection over two lines is not taken as the text to find.
    d.w.txtMain().setSelection(2, 18);
    d.run("mnuEditFind");
    QCOMPARE(find->wanted(), u"anna"_qs);
}

void tst_FindCommands::escapeReturnsToTheTextWithTheMatch() {
    DocumentWindow d;
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += u"line %1\n"_qs.arg(i);
    startDocument(d, text + u"phone 555-0199"_qs);
    d.run("mnuEditFind");
    frmFind* find = findWindow(d);
    QTest::keyClicks(find->txtFind(), u"555-0199"_qs);
    QTest::keyClick(find->txtFind(), Qt::Key_Return);
    QCOMPARE(selected(d), u"555-0199"_qs);
    TextView* view = &d.w.txtMain();
    QVERIFY(view->verticalScrollBar()->value() > 150); // scrolled into view
    // The window moves off a match it would cover.
    find->move(find->x(), d.w.txtMain().caretLineOnScreen().top() - 10);
    button(d, "cmdPrevious")->click();
    QCOMPARE(selected(d), u"555-0199"_qs);
    QVERIFY(!find->frameGeometry().intersects(d.w.txtMain().caretLineOnScreen()));
    QTest::keyClick(find->txtFind(), Qt::Key_Escape);
    QVERIFY(!find->isVisible());
    QTRY_VERIFY(d.w.txtMain().hasFocus());
    QTest::keyClicks(&d.w.txtMain(), u"0100"_qs); // typing replaces the match
    QVERIFY(d.w.txtMain().toPlainText().endsWith(u"phone 0100"_qs));

    // F3 from the text goes on with the last search, and the window stays closed.
    d.w.txtMain().setSelection(0, 0);
    QTest::keyClick(&d.w.txtMain(), Qt::Key_F3);
    QCOMPARE(d.w.statusText(), u"Not found: 555-0199"_qs);
    QVERIFY(!find->isVisible());
}

void tst_FindCommands::replaceTakesTheMatchThenTheNext() {
    DocumentWindow d;
    startDocument(d, u"cat, Cat and cats"_qs);
    QTest::keyClick(&d.w.txtMain(), Qt::Key_H, Qt::ControlModifier);
    frmFind* find = findWindow(d);
    QTest::keyClicks(find->txtFind(), u"cat"_qs);
    QTest::keyClicks(find->txtReplace(), u"dog"_qs);
    find->chkWholeWord()->setChecked(true);
    button(d, "cmdReplace")->click(); // nothing selected yet: only finds
    QCOMPARE(d.w.txtMain().toPlainText(), u"cat, Cat and cats"_qs);
    button(d, "cmdReplace")->click();
    button(d, "cmdReplace")->click();
    QCOMPARE(d.w.txtMain().toPlainText(), u"dog, dog and cats"_qs);
    QCOMPARE(d.w.statusText(), u"Not found: cat"_qs); // "cats" is no whole word
    // Each replacement is one step of undo.
    QTest::keyClick(&d.w.txtMain(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(d.w.txtMain().toPlainText(), u"dog, Cat and cats"_qs);
}

void tst_FindCommands::goToLineRefusesWhatIsNoLineNumber() {
    DocumentWindow d;
    QString text;
    for (int i = 0; i < 500; ++i)
        text += u"entry\n"_qs;
    startDocument(d, text);
    const QString refused = u"Type a line number from 1 to 501."_qs;
    heard.clear();
    QCOMPARE(goToLine(d, {u"twelve"_qs, u"0"_qs, u"-3"_qs, u" 300 "_qs}),
             QStringList({refused, refused, refused, QString()}));
    // Each refusal is an alert a screen reader hears, and shows in the status bar too.
    QCOMPARE(heard, QStringList(3, u"8 "_qs + refused));
    QCOMPARE(d.w.statusText(), refused);
    QCOMPARE(d.w.txtMain().selectionStart(), 299 * 6);
    QCOMPARE(d.w.txtMain().selectionEnd(), 299 * 6);
    QTRY_VERIFY(d.w.txtMain().hasFocus());
    TextView* view = &d.w.txtMain();
    QVERIFY(view->verticalScrollBar()->value() > 250);
    goToLine(d, {u"99999999999999999999999"_qs}); // past the end: the last line
    QCOMPARE(d.w.txtMain().selectionStart(), 500 * 6);
    goToLine(d, {u"1x"_qs, QString()}); // refused, then cancelled: the caret stays
    QCOMPARE(d.w.txtMain().selectionStart(), 500 * 6);
}

void tst_FindCommands::everyMenuOpensFromTheKeyboard() {
    DocumentWindow d;
    startDocument(d, u"text"_qs);
    QWidget* edit = &d.w.txtMain();
    const QList<std::pair<Qt::Key, const char*>> menus = {
        {Qt::Key_F, "mnuFile"}, {Qt::Key_S, "mnuSave"}, {Qt::Key_O, "mnuOpen"},
        {Qt::Key_H, "mnuHelp"}, {Qt::Key_E, "mnuEdit"}, {Qt::Key_A, "mnuAppearance"}};
    for (const auto& [key, name] : menus) {
        QTest::keyClick(edit, key, Qt::AltModifier);
        QWidget* open = QApplication::activePopupWidget();
        QVERIFY2(open && open->objectName() == QLatin1String(name), name);
        QTest::keyClick(open, Qt::Key_Escape);
        QTest::keyClick(d.w.menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
    // Convert File stands on the bar by itself: Alt+C starts it.
    d.t.dialogs.queueCancel();
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTest::keyClick(edit, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(d.t.dialogs.calls.size(), 1);
    QVERIFY(d.t.dialogs.calls.last().title.startsWith(u"Notavo | Convert File"_qs));
}

void tst_FindCommands::replaceAllIsOneStep() {
    DocumentWindow d;
    startDocument(d, u"cat, Cat and cats\ncat"_qs);
    d.run("mnuEditReplace");
    frmFind* find = findWindow(d);
    find->txtFind()->setText(u"cat"_qs);
    find->txtReplace()->setText(u"a cat"_qs); // matches again, but is not replaced again
    find->chkWholeWord()->setChecked(true);
    d.w.txtMain().setSelection(5, 8); // "Cat": the caret goes after its replacement
    QApplication::setActiveWindow(find);
    QTest::keyClick(find, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(d.w.txtMain().toPlainText(), u"a cat, a cat and cats\na cat"_qs); // clicks late
    QCOMPARE(d.w.statusText(), u"Replaced 3 occurrences"_qs);
    QCOMPARE(d.w.txtMain().selectionStart(), 12);
    QCOMPARE(d.w.txtMain().selectionEnd(), 12);
    QWidget* box = &d.w.txtMain();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(d.w.txtMain().toPlainText(), u"cat, Cat and cats\ncat"_qs);
    QTest::keySequence(box, QKeySequence::Redo);
    find->txtFind()->setText(u"cats"_qs);
    find->txtReplace()->setText(u"dog"_qs);
    button(d, "cmdReplaceAll")->click();
    QCOMPARE(d.w.statusText(), u"Replaced 1 occurrence"_qs);
    button(d, "cmdReplaceAll")->click();
    QCOMPARE(d.w.statusText(), u"Not found: cats"_qs);
    d.t.dialogs.queuePath(d.path("a.nv"));
    d.run("mnuFileSave");
    QCOMPARE(bytesOf(d.path("a.nv")), QByteArray("a cat, a cat and dog\r\na cat\r\n"));

    // Long work: Cancel changes nothing; keys typed meanwhile go into the replaced text.
    const QString large = u"cat and dog\n"_qs.repeated(800000);
    d.w.txtMain().setPlainText(large);
    find->txtFind()->setText(u"cat"_qs);
    QTimer::singleShot(0, &d.w, [&] { d.w.findChild<QPushButton*>(u"cmdCancelTask"_qs)->click(); });
    button(d, "cmdReplaceAll")->click();
    QCOMPARE(d.w.statusText(), u"Replace All cancelled"_qs);
    QVERIFY(d.w.txtMain().toPlainText() == large);
    QTimer::singleShot(0, &d.w, [&] { QTest::keyClick(box, Qt::Key_Z); });
    button(d, "cmdReplaceAll")->click();
    QCOMPARE(d.w.statusText(), u"Replaced 800,000 occurrences"_qs);
    QVERIFY(d.w.txtMain().toPlainText() == u"z"_qs + u"dog and dog\n"_qs.repeated(800000));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(d.w.txtMain().toPlainText() == large);
}

QTEST_MAIN(tst_FindCommands)
#include "tst_FindCommands.moc"
