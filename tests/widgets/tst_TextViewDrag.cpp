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
    const auto theirsAt = [&](int position) {
        QTextCursor cursor(boxes.theirs.document());
        cursor.setPosition(position);
        return boxes.theirs.cursorRect(cursor).center();
    };
    for (const Qt::KeyboardModifiers held : {Qt::NoModifier, Qt::ControlModifier}) {
        boxes.reset(text);
        boxes.ours.setSelection(7, 10);
        QTextCursor selection = boxes.theirs.textCursor();
        selection.setPosition(7);
        selection.setPosition(10, QTextCursor::KeepAnchor);
        boxes.theirs.setTextCursor(selection);
        // Pressed on "Y", let go at the end of the second line.
        const std::array<QPoint, 2> press = {pointAt(boxes.ours, 8), theirsAt(8) + QPoint(2, 0)};
        const std::array<QPoint, 2> to = {pointAt(boxes.ours, 17) + QPoint(4, 0),
                                          theirsAt(17) + QPoint(4, 0)};
        for (int i : {0, 1}) {
            QWidget* viewport = boxes.viewport(i);
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
            QVERIFY(boxes.apply({Action::Key, binding(key)}));
            QCOMPARE(boxes.oursNow().text, key == QKeySequence::Undo ? text : expected);
            QCOMPARE(boxes.oursNow().cursor, boxes.theirsNow().cursor);
        }
    }
}

QTEST_MAIN(tst_TextViewDrag)
#include "tst_TextViewDrag.moc"
