// Dragging the box's own selection, beside QPlainTextEdit: it needs the platform's drag loop,
// which only a real display runs (the end-to-end tests run this under Xvfb).
#include "widgets/SideBySide.h"

#include <QGuiApplication>
#include <QTimer>

class tst_TextViewDrag : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectionMovesOrCopiesInOneUndoStep();
};

void tst_TextViewDrag::selectionMovesOrCopiesInOneUndoStep() {
    if (QGuiApplication::platformName() == u"offscreen"_qs)
        QSKIP("the offscreen platform runs no drag");
    Boxes boxes;
    QVERIFY(boxes.shown());
    const QString text = u"abcdef XYZ\nsecond"_qs;
    for (const Qt::KeyboardModifiers held : {Qt::NoModifier, Qt::ControlModifier}) {
        boxes.reset(text);
        boxes.ours.setSelection(7, 10);
        QTextCursor selection = boxes.theirs.textCursor();
        selection.setPosition(7);
        selection.setPosition(10, QTextCursor::KeepAnchor);
        boxes.theirs.setTextCursor(selection);
        // Pressed on "Y", let go at the end of the second line.
        QTextCursor end(boxes.theirs.document());
        end.setPosition(17);
        const QRect theirEnd = boxes.theirs.cursorRect(end);
        const std::array<QPoint, 2> from = {pointAt(boxes.ours, 8),
                                            boxes.theirs.cursorRect(selection).center()};
        const std::array<QPoint, 2> to = {pointAt(boxes.ours, 17) + QPoint(4, 0),
                                          theirEnd.center() + QPoint(4, 0)};
        std::array<QWidget*, 2> viewports = {boxes.ours.viewport(), boxes.theirs.viewport()};
        QTextCursor y(boxes.theirs.document());
        y.setPosition(8);
        const std::array<QPoint, 2> press = {from[0],
                                             boxes.theirs.cursorRect(y).center() + QPoint(2, 0)};
        for (int i : {0, 1}) {
            QWidget* viewport = viewports[i];
            mouse(viewport, QEvent::MouseButtonPress, press[i]);
            const QPoint until = to[i];
            QTimer::singleShot(50, viewport, [viewport, until, held] {
                mouse(viewport, QEvent::MouseMove, until, held);
                mouse(viewport, QEvent::MouseButtonRelease, until, held);
            });
            mouse(viewport, QEvent::MouseMove, press[i] + QPoint(0, 30), held);
            QTest::qWait(100);
        }
        const QString expected = held ? u"abcdef XYZ\nsecondXYZ"_qs : u"abcdef \nsecondXYZ"_qs;
        QCOMPARE(boxes.theirsNow().text, expected);
        QCOMPARE(boxes.oursNow().text, expected);
        QCOMPARE(boxes.oursNow().cursor, boxes.theirsNow().cursor);
        QCOMPARE(boxes.oursNow().anchor, boxes.theirsNow().anchor);
        // One step of undo takes it all back, one of redo does it again.
        for (const QKeySequence::StandardKey key : {QKeySequence::Undo, QKeySequence::Redo}) {
            for (QWidget* box :
                 {static_cast<QWidget*>(&boxes.ours), static_cast<QWidget*>(&boxes.theirs)}) {
                const QKeyCombination combination = binding(key);
                QKeyEvent press(QEvent::KeyPress, combination.key(),
                                combination.keyboardModifiers());
                QApplication::sendEvent(box, &press);
            }
            QCOMPARE(boxes.oursNow().text, key == QKeySequence::Undo ? text : expected);
            QCOMPARE(boxes.oursNow().cursor, boxes.theirsNow().cursor);
        }
    }
}

QTEST_MAIN(tst_TextViewDrag)
#include "tst_TextViewDrag.moc"
