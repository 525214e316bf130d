#include "app/ApplicationTitle.h"
#include "app/ColourValue.h"
#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "fakes/TestPlatform.h"

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
#include <QToolButton>
#include <QtTest>

namespace {
const QColor Designed = colourFromValue(DesignedBackground);

QColor background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

QList<QWidget*> colouredControls(frmMain& w) {
    return {w.centralWidget(), w.frame(),       w.fLocation(),
            w.fName(),         w.fNameString(), w.autosavecheck()};
}
} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void designedWindowOnFirstStart();
    void menusInOrderWithShortcutsAndStates();
    void toolbarButtonsDispatchOnTheirKeys();
    void restoresAppearanceUnderGotFlags();
    void handEditedSettingsFallBackToDefaults();
    void statusReturnsToReady();
    void editingBoxKeepsItsOwnUndoAndCutKeys();
    void closeBoxEndsWithoutQuestion();
};

void tst_frmMain::designedWindowOnFirstStart() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    QCOMPARE(w.windowTitle(), u"Notavo"_qs);
    QCOMPARE(applicationTitle(), u"Notavo"_qs);
    QCOMPARE(w.centralWidget()->size().width() > 0, true);
    QCOMPARE(w.minimumSize(), w.maximumSize()); // not resizable
    QCOMPARE(w.width(), 593);
    QCOMPARE(w.height() - w.menuBar()->sizeHint().height(), 491);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    for (QWidget* control : colouredControls(w))
        QCOMPARE(background(control), Designed);
    QCOMPARE(w.fileDirText()->palette().color(QPalette::Base), QColor(Qt::white));

    QVERIFY(!w.txtMain().isEnabled());
    QCOMPARE(w.txtMain().text(), u"Load a file or start a new one.\n"_qs);
    QCOMPARE(w.txtMain().widget()->toolTip(), u"Where you can type your work."_qs);
    QCOMPARE(w.txtMain().widget()->objectName(), u"txtMain"_qs);
    QCOMPARE(w.txtMain().textColor(), QColor(Qt::black));
    QCOMPARE(w.txtMain().font().pointSizeF(), 8.25);
    QCOMPARE(w.fNameString()->text(), u"No file loaded"_qs);
    QCOMPARE(w.fileDirText()->toPlainText(), u"No file loaded\n"_qs);
    QCOMPARE(w.fileDirText()->toolTip(), u"The location of the current file loaded"_qs);
    QCOMPARE(w.frame()->title(), u"File Details"_qs);
    QCOMPARE(w.fLocation()->text(), u"Location:"_qs);
    QCOMPARE(w.fName()->text(), u"Name:"_qs);
    QCOMPARE(w.autosavecheck()->text(), u"AutoSave"_qs);
    QVERIFY(!w.autosavecheck()->isChecked());
    QCOMPARE(w.statusText(), u"Ready"_qs);
    QCOMPARE(w.statusBar()->toolTip(), u"Current Status"_qs);
    QCOMPARE(w.autosavetimer()->interval(), 60000);
    QVERIFY(w.autosavetimer()->isActive());
    QCOMPARE(w.statusbarclear()->interval(), 5000);
    QVERIFY(w.statusbarclear()->isActive());
    // Before any font dialog, the component holds the editing box's font.
    QCOMPARE(t.dialogs.font.size, 8.25f);
    QCOMPARE(t.dialogs.font.name, QFontInfo(w.txtMain().font()).family());
}

void tst_frmMain::menusInOrderWithShortcutsAndStates() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    QStringList bar;
    QStringList items;
    for (QAction* top : w.menuBar()->actions()) {
        bar << top->objectName() + u'=' + top->text();
        if (QMenu* menu = top->menu())
            for (QAction* item : menu->actions())
                items << u"%1/%2=%3|%4|%5"_qs.arg(menu->objectName(), item->objectName(),
                                                  item->text(), item->shortcut().toString(),
                                                  item->isEnabled() ? u"on"_qs : u"off"_qs);
    }
    QCOMPARE(bar, QStringList({"mnuFile=File", "mnuSave=Save", "mnuOpen=Open", "mnuHelp=Help",
                               "mnuEdit=Edit", "mnuConvertFile=Convert File",
                               "mnuAppearance=Appearance"}));
    QCOMPARE(items, QStringList({
                        "mnuFile/mnuFileNew=New|Ctrl+N|on",
                        "mnuFile/mnuFileClear=Clear|Ctrl+L|on",
                        "mnuFile/mnuFilePrint=Print|Ctrl+P|on",
                        "mnuFile/mnuMinimizetotray=Minimize to tray||on",
                        "mnuSave/mnuFileSave=Save|Ctrl+S|on",
                        "mnuSave/mnuFileSaveas=Save As|Ctrl+T|on",
                        "mnuSave/mnuFileSaveasCustom=Save Custom|Ctrl+E|on",
                        "mnuOpen/mnuFileOpen=Open|Ctrl+O|on",
                        "mnuOpen/mnuOpenCustom=Open Custom|Ctrl+K|on",
                        "mnuHelp/mnuHelpHelpTopics=Help Topics|F1|on",
                        "mnuHelp/mnuAbout=About|F12|on",
                        "mnuHelp/mnuHelpR_A_B=Report A Bug||on",
                        "mnuEdit/mnuEditUndo=Undo|Ctrl+Z|off",
                        "mnuEdit/mnuEditRedo=Redo|Ctrl+X|off",
                        "mnuAppearance/mnuBackgroundCol=Background Colour||on",
                        "mnuAppearance/mnuFont=Font||on",
                        "mnuAppearance/mnuFontColour=Font Colour||on",
                    }));
    // The tray's pop-up exists but never shows on the menu bar.
    QMenu* pop = w.mPopup();
    QCOMPARE(pop->objectName(), u"mPopup"_qs);
    QCOMPARE(pop->title(), u"Pop"_qs);
    QVERIFY(!w.menuBar()->actions().contains(pop->menuAction()));
    QStringList popItems;
    for (QAction* item : pop->actions())
        popItems << item->objectName() + u'[' + item->property("index").toString() + u"]="_qs +
                        item->text();
    QCOMPARE(popItems, QStringList({"mPop[0]=Open", "mPop[1]=New File", "mPop[2]=Close",
                                    "mPop[3]=About Notavo"}));
    QCOMPARE(pop->defaultAction(), pop->actions().constFirst());
    QVERIFY(pop->actions().constFirst()->font().bold());
}

void tst_frmMain::toolbarButtonsDispatchOnTheirKeys() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    QStringList buttons;
    for (QAction* a : w.tlBar()->actions())
        buttons << a->text() + u'|' + a->property("key").toString() + u'|' + a->toolTip();
    QCOMPARE(buttons, QStringList({"Save|Save|Save your file", "Open|Open|Open a file",
                                   "New File|NewFile|Start a new file",
                                   "Print|Print|Print your file", "Help|Halp|View help topics"}));
    QCOMPARE(w.tlBar()->iconSize(), QSize(35, 35));

    const QStringList commands = {"mnuFileSave", "mnuFileOpen", "mnuFileNew", "mnuFilePrint",
                                  "mnuHelpHelpTopics"};
    QList<QSharedPointer<QSignalSpy>> spies;
    for (const QString& name : commands)
        spies << QSharedPointer<QSignalSpy>::create(w.action(name), &QAction::triggered);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QList<QAction*> actions = w.tlBar()->actions();
    for (int i = 0; i < actions.size(); ++i) {
        auto* button = qobject_cast<QToolButton*>(w.tlBar()->widgetForAction(actions[i]));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        for (int j = 0; j < spies.size(); ++j)
            QCOMPARE(spies[j]->count(), j <= i ? 1 : 0);
    }
    // Keys compare exactly: the fifth button's caption "Help" is not a key.
    for (const char* key : {"Help", "save", "New File", ""})
        w.toolbarClick(QLatin1String(key));
    for (const auto& spy : spies)
        QCOMPARE(spy->count(), 1);
}

void tst_frmMain::restoresAppearanceUnderGotFlags() {
    {
        TestPlatform t;
        t.store("data-col",
                {"gotcolour=1", "formcol=255", "filelocation=255", "filename=255",
                 "filenamestring=255", "autosavecheck=255", "gotfontcol=1", "textcol=16711680"});
        t.store("data-font", {"gotfont=1", "fontname=DejaVu Serif", "fontbold=True",
                              "fontitalic=True", "fontsize=12.75"});
        frmMain w(t.platform, t.settings);
        for (QWidget* control : colouredControls(w))
            QCOMPARE(background(control), control == w.frame() ? Designed : QColor(Qt::red));
        QCOMPARE(w.txtMain().font().family(), u"DejaVu Serif"_qs);
        QVERIFY(w.txtMain().font().bold());
        QVERIFY(w.txtMain().font().italic());
        QCOMPARE(w.txtMain().font().pointSizeF(), 12.75);
        QCOMPARE(w.txtMain().textColor(), QColor(Qt::blue));
        QCOMPARE(w.fileDirText()->palette().color(QPalette::Base), QColor(Qt::white));
    }
    {
        TestPlatform t; // flags other than 1 keep the designed look although values are stored
        t.store("data-col", {"gotcolour=0", "formcol=255", "gotfontcol=0", "textcol=255"});
        t.store("data-font", {"gotfont=2", "fontsize=20"});
        frmMain w(t.platform, t.settings);
        for (QWidget* control : colouredControls(w))
            QCOMPARE(background(control), Designed);
        QCOMPARE(w.txtMain().font().pointSizeF(), 8.25);
        QCOMPARE(w.txtMain().textColor(), QColor(Qt::black));
    }
}

void tst_frmMain::handEditedSettingsFallBackToDefaults() {
    TestPlatform t;
    t.store("data-col", {"gotcolour=yes", "formcol=red", "textcol=blue"});
    t.store("data-font", {"fontname=No Such Face At All", "fontbold=maybe", "fontsize=-3"});
    frmMain w(t.platform, t.settings);
    QCOMPARE(background(w.centralWidget()), Designed);
    QVERIFY(!w.txtMain().font().bold());
    QCOMPARE(w.txtMain().font().pointSizeF(), 8.25);
    QCOMPARE(w.txtMain().textColor(), QColor(Qt::black));

    TestPlatform comma; // a size written with a decimal comma still restores
    comma.store("data-font", {"fontsize=8,25", "fontname=DejaVu Sans"});
    frmMain v(comma.platform, comma.settings);
    QCOMPARE(v.txtMain().font().pointSizeF(), 8.25);
}

void tst_frmMain::statusReturnsToReady() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.statusbarclearTick(); // the tick 5 s after start: "Ready" again, timer stopped
    QVERIFY(!w.statusbarclear()->isActive());
    QCOMPARE(w.statusText(), u"Ready"_qs);

    w.ShowStatus(u"first"_qs);
    QVERIFY(w.statusbarclear()->isActive());
    QTest::qWait(700);
    w.ShowStatus(u"second"_qs); // restarts the countdown
    QVERIFY(w.statusbarclear()->remainingTime() > 4500);
    QCOMPARE(w.statusText(), u"second"_qs);
    w.statusbarclearTick();
    QCOMPARE(w.statusText(), u"Ready"_qs);
    QVERIFY(!w.statusbarclear()->isActive());
    w.setStatusText(u"Printed"_qs);
    QVERIFY(!w.statusbarclear()->isActive());
}

void tst_frmMain::editingBoxKeepsItsOwnUndoAndCutKeys() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* edit = w.txtMain().widget();
    w.txtMain().setText(QString());
    w.txtMain().setEnabled(true);
    edit->setFocus();
    QTest::keyClicks(edit, u"phone 555"_qs);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier); // Redo's shortcut, but Redo is disabled
    QCOMPARE(w.txtMain().text(), QString());
    QCOMPARE(QApplication::clipboard()->text(), u"phone 555"_qs);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.txtMain().text(), u"phone 555"_qs);

    QSignalSpy newFile(w.action(u"mnuFileNew"_qs), &QAction::triggered);
    QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier); // menu shortcuts work from the box
    QCOMPARE(newFile.count(), 1);
}

void tst_frmMain::closeBoxEndsWithoutQuestion() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    w.txtMain().setEnabled(true);
    w.txtMain().setText(u"unsaved"_qs);
    QSignalSpy closed(&w, &frmMain::closed);
    QVERIFY(w.close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(t.messages.calls.isEmpty());
    QVERIFY(t.dialogs.calls.isEmpty());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
