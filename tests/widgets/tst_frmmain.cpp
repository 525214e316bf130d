#include "app/ToolbarTable.h"
#include "basics/ApplicationTitle.h"
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "platform/ColourValue.h"
#include "wiring/MainWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {
const QColor Designed = colourFromValue(DesignedBackground);

QList<QColor> backgrounds(frmMain& w) {
    QList<QColor> colours;
    for (QWidget* control : QList<QWidget*>{w.centralWidget(), w.frame(), w.fLocation(), w.fName(),
                                            w.fNameString(), w.autosavecheck()})
        colours << control->palette().color(QPalette::Window);
    return colours;
}

// An entry as a user reads it: caption and shortcut, in brackets when greyed, starred when bold;
// a separator as a dash.
QString shown(const QAction* a) {
    if (a->isSeparator())
        return u"-"_qs;
    QString text = QString(a->text()).remove(u'&'); // the access letter is only underlined
    if (!a->shortcut().isEmpty())
        text += u' ' + a->shortcut().toString();
    if (a->font().bold())
        text.prepend(u'*');
    return a->isEnabled() ? text : u'(' + text + u')';
}

QStringList commandsShown(frmMain& w) {
    QStringList lines;
    const auto menu = [](const QString& title, const QList<QAction*>& items) {
        QStringList entries;
        for (const QAction* item : items)
            entries << shown(item);
        return entries.isEmpty() ? title : title + u": "_qs + entries.join(u", "_qs);
    };
    // A menu's mnemonic is only an underline: its caption reads the same.
    for (QAction* top : w.menuBar()->actions())
        lines << menu(QString(top->text()).remove(u'&'),
                      top->menu() ? top->menu()->actions() : QList<QAction*>());
    QStringList buttons;
    for (const QAction* button : w.tlBar()->actions())
        buttons << button->text() + u" - "_qs + button->toolTip();
    lines << u"Toolbar: "_qs + buttons.join(u", "_qs);
    lines << menu(u"Tray"_qs, w.mPopup()->actions());
    return lines;
}
} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void designedWindowAsAUserSeesIt();
    void toolbarButtonsRunTheirMenuCommands();
    void restoreFollowsGotFlagsAndSurvivesHandEdits();
    void statusReturnsToReadyOnARealTick();
    void editingBoxKeysAndCloseBox();
};

void tst_frmMain::designedWindowAsAUserSeesIt() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    QCOMPARE(commandsShown(w),
             QStringList({
                 "File: New Ctrl+N, Clear Ctrl+L, Print Ctrl+P, Minimize to tray",
                 "Save: Save Ctrl+S, Save As Ctrl+T, Save Custom Ctrl+E",
                 "Open: Open Ctrl+O, Open Custom Ctrl+K, -, (Reopen With Encoding)",
                 "Help: Help Topics F1, About F12, Report A Bug",
                 "Edit: (Undo Ctrl+Z), (Redo Ctrl+X), -, (Find... Ctrl+F), "
                 "(Find Next F3), (Find Previous Shift+F3), (Replace... "
                 "Ctrl+H), (Go To Line... Ctrl+G)",
                 "Convert File",
                 "Appearance: Background Colour, Font, Font Colour",
                 "Toolbar: Save - Save your file, Open - Open a file, New File - "
                 "Start a new file, Print - Print your file, Help - View help "
                 "topics",
                 "Tray: *Open, New File, Close, About Notavo",
             }));
    QCOMPARE(w.mPopup()->defaultAction(), w.mPopup()->actions().constFirst());

    QCOMPARE(QStringList({w.windowTitle(), applicationTitle(), w.txtMain().toPlainText(),
                          w.txtMain().toolTip(), w.frame()->title(), w.fLocation()->text(),
                          w.fileDirText()->toPlainText(), w.fileDirText()->toolTip(),
                          w.fName()->text(), w.fNameString()->text(), w.autosavecheck()->text(),
                          w.statusText(), w.statusBar()->toolTip()}),
             QStringList({"Notavo", "Notavo", "Load a file or start a new one.\n",
                          "Where you can type your work.", "File Details", "Location:",
                          "No file loaded\n", "The location of the current file loaded",
                          "Name:", "No file loaded", "AutoSave", "Ready", "Current Status"}));
    QVERIFY(!w.txtMain().isEnabled());
    QVERIFY(!w.autosavecheck()->isChecked());
    // The designed colours and font: restoreFollowsGotFlagsAndSurvivesHandEdits.
    QCOMPARE(w.fileDirText()->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(w.minimumSize(), w.maximumSize()); // not resizable
    QVERIFY(!(w.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    // A screen reader names the read-outs after their captions, not after the frame.
    QCOMPARE(QAccessible::queryAccessibleInterface(w.fileDirText())->text(QAccessible::Name),
             u"Location:"_qs);
    const auto labels =
        QAccessible::queryAccessibleInterface(w.fNameString())->relations(QAccessible::Label);
    QVERIFY(std::any_of(labels.begin(), labels.end(),
                        [&](const auto& l) { return l.first->object() == w.fName(); }));
}

void tst_frmMain::toolbarButtonsRunTheirMenuCommands() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    QStringList triggered;
    for (QAction* entry : w.findChildren<QAction*>())
        if (entry->objectName().startsWith(u"mnu"_qs))
            connect(entry, &QAction::triggered, this,
                    [&triggered, entry] { triggered << entry->objectName(); });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (QAction* button : w.tlBar()->actions())
        QTest::mouseClick(w.tlBar()->widgetForAction(button), Qt::LeftButton);
    QCOMPARE(triggered, QStringList({"mnuFileSave", "mnuFileOpen", "mnuFileNew", "mnuFilePrint",
                                     "mnuHelpHelpTopics"}));
    // Dispatch compares the key exactly: the help button's key is "Halp", and a near miss runs
    // nothing.
    QCOMPARE(toolbarCommandFor(u"Halp"_qs), u"mnuHelpHelpTopics"_qs);
    for (const QString& key : {u"Help"_qs, u"save"_qs, u"NewFile "_qs, QString()})
        QVERIFY2(toolbarCommandFor(key).isEmpty(), qPrintable(key));
}

void tst_frmMain::restoreFollowsGotFlagsAndSurvivesHandEdits() {
    {
        TestPlatform t; // "framecol" missing: the frame keeps its colour, the other five change
        t.store("data-col", {"formcol=255", "filelocation=255", "filename=255",
                             "filenamestring=255", "autosavecheck=255"});
        MainWindow w(t.platform, t.settings);
        QList<QColor> expected(6, QColor(Qt::red));
        expected[1] = Designed;
        QCOMPARE(backgrounds(w), expected);
    }
    // Flags other than 1 keep the designed look although values are stored; so do values only
    // a hand edit could make.
    using Sections = std::pair<QStringList, QStringList>; // "data-col", "data-font"
    for (const auto& [colours, fonts] :
         {Sections{{"gotcolour=0", "formcol=255", "gotfontcol=0", "textcol=255"},
                   {"gotfont=2", "fontsize=20", "fontbold=True"}},
          Sections{{"gotcolour=yes", "formcol=red", "textcol=blue"},
                   {"fontsize=-3", "fontbold=maybe"}}}) {
        TestPlatform t;
        t.store("data-col", colours);
        t.store("data-font", fonts);
        MainWindow w(t.platform, t.settings);
        QCOMPARE(backgrounds(w), QList<QColor>(6, Designed));
        QCOMPARE(w.txtMain().font().pointSizeF(), 8.25);
        QVERIFY(!w.txtMain().font().bold());
        QCOMPARE(w.txtMain().textColor(), QColor(Qt::black));
    }
}

void tst_frmMain::statusReturnsToReadyOnARealTick() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    QCOMPARE(w.autosavetimer()->interval(), 60000);
    QVERIFY(w.autosavetimer()->isActive() && w.statusbarclear()->isActive());
    // Shortened to let real ticks fire: a second message restarts the countdown, so each one
    // stays readable for the whole interval.
    w.statusbarclear()->setInterval(500);
    w.ShowStatus(u"first"_qs);
    QTest::qWait(300);
    w.ShowStatus(u"second"_qs);
    QVERIFY(w.statusbarclear()->remainingTime() > 350); // about 200 ms left had it kept on
    QCOMPARE(w.statusText(), u"second"_qs);
    QTRY_COMPARE(w.statusText(), u"Ready"_qs);
    QVERIFY(!w.statusbarclear()->isActive());
}

void tst_frmMain::editingBoxKeysAndCloseBox() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* edit = &w.txtMain();
    w.txtMain().setPlainText(QString());
    w.txtMain().setEnabled(true);
    edit->setFocus();
    QTest::keyClicks(edit, u"phone 555"_qs);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier); // Redo's shortcut, but Redo is disabled
    QCOMPARE(w.txtMain().toPlainText(), QString());
    QCOMPARE(QApplication::clipboard()->text(), u"phone 555"_qs);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.txtMain().toPlainText(), u"phone 555"_qs);

    w.txtMain().setPlainText(u"unsaved"_qs); // the close box ends the program, asking nothing
    QSignalSpy closed(&w, &frmMain::closed);
    QVERIFY(w.close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(t.messages.calls.isEmpty());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
