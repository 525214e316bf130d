// The menus from the keyboard: every shortcut a menu shows, whatever has the focus; access
// letters; F10. Runs offscreen and, with the end-to-end tests, under Xvfb with the desktop's
// own key bindings (where Ctrl+E and Ctrl+K are the box's line keys).
#include "editor/TextView.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
// The window with a document and every menu entry counting its runs instead of running.
struct Counted {
    TestPlatform t;
    MainWindow w{t.platform, t.settings};
    QStringList fired;

    Counted() {
        w.txtMain().setPlainText(u"one two\nthree"_qs);
        w.txtMain().setEnabled(true); // as New does: the Edit entries follow
        for (QAction* entry : w.findChildren<QAction*>()) {
            QObject::disconnect(entry, &QAction::triggered, nullptr, nullptr);
            QObject::connect(entry, &QAction::triggered, &w,
                             [this, entry] { fired << entry->objectName(); });
        }
        w.show();
        w.activateWindow();
    }
    QList<QMenu*> menus() const {
        QList<QMenu*> all{w.mPopup()};
        for (QAction* top : w.menuBar()->actions())
            if (top->menu())
                all << top->menu();
        return all;
    }
};
} // namespace

class tst_MenuKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyShownShortcutWorksWhateverHasTheFocus();
    void accessLettersAndF10();
};

void tst_MenuKeys::everyShownShortcutWorksWhateverHasTheFocus() {
    Counted c;
    QVERIFY(QTest::qWaitForWindowActive(&c.w));
    QList<QWidget*> focusable;
    for (QWidget* widget : c.w.findChildren<QWidget*>())
        if (widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus &&
            !qobject_cast<QMenu*>(widget))
            focusable << widget;
    QVERIFY(focusable.contains(&c.w.txtMain()));
    int checked = 0;
    for (QWidget* widget : focusable) {
        for (QMenu* menu : c.menus())
            for (QAction* entry : menu->actions()) {
                // Undo and Redo stay disabled: their keys are the box's own.
                if (entry->shortcut().isEmpty() || !entry->isEnabled())
                    continue;
                widget->setFocus();
                QTRY_COMPARE(QApplication::focusWidget(), widget);
                c.fired.clear();
                const QKeyCombination key = entry->shortcut()[0];
                QTest::keyClick(widget, key.key(), key.keyboardModifiers());
                QVERIFY2(c.fired == QStringList{entry->objectName()},
                         qPrintable(entry->shortcut().toString() + u" in "_qs +
                                    widget->objectName() + u": "_qs + c.fired.join(u',')));
                ++checked;
            }
    }
    QVERIFY(checked >= 14);
    // The box still edits with the keys no menu shows.
    c.w.txtMain().setFocus();
    QTest::keyClick(&c.w.txtMain(), Qt::Key_End);
    QTest::keyClicks(&c.w.txtMain(), u"!"_qs);
    QCOMPARE(c.w.txtMain().toPlainText(), u"one two!\nthree"_qs);
}

void tst_MenuKeys::accessLettersAndF10() {
    Counted c;
    // Every entry of every menu has a letter, none twice in a menu; the caption reads the same.
    for (QMenu* menu : c.menus()) {
        QSet<QKeySequence> letters;
        for (QAction* entry : menu->actions()) {
            if (entry->isSeparator())
                continue;
            const QKeySequence letter = QKeySequence::mnemonic(entry->text());
            QVERIFY2(!letter.isEmpty() && !letters.contains(letter), qPrintable(entry->text()));
            letters << letter;
        }
    }
    QVERIFY(QTest::qWaitForWindowActive(&c.w));
    c.w.txtMain().setFocus();
    QTest::keyClick(&c.w.txtMain(), Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_G);
    QCOMPARE(c.fired, QStringList{u"mnuEditGoToLine"_qs});
    QTRY_VERIFY(!QApplication::activePopupWidget());

    // F10, then Return: the first entry of the first menu, as after Alt+F.
    c.fired.clear();
    c.w.txtMain().setFocus();
    QTest::keyClick(&c.w.txtMain(), Qt::Key_F10);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    QCOMPARE(c.fired, QStringList{u"mnuFileNew"_qs});
}

QTEST_MAIN(tst_MenuKeys)
#include "tst_MenuKeys.moc"
