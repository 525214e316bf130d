#include "editor/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString Emoji = QString::fromUcs4(U"\U0001F600");

// The platform's first binding for a standard key, pressed on the box.
void press(QWidget* w, QKeySequence::StandardKey key) {
    const QKeyCombination combination = QKeySequence::keyBindings(key).value(0)[0];
    QTest::keyClick(w, combination.key(), combination.keyboardModifiers());
}

// A key that produces text no Qt::Key names, as keyboards with emoji or ZWNJ keys send it.
void typeKey(QWidget* w, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(w, &event);
}

bool claims(TextView& view, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::ShortcutOverride, key, modifiers);
    event.ignore();
    QApplication::sendEvent(&view, &event);
    return event.isAccepted();
}

QPoint pointAt(const TextView& view, qsizetype position) {
    const QRect r = view.characterRect(position);
    return QPoint(r.left() + 1, r.center().y());
}

QString manyLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += u"line %1 of the text\n"_qs.arg(i);
    return text;
}

} // namespace

class tst_TextView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { window.reset(); }
    void typingAndDeleting();
    void movingAndSelecting();
    void clipboardAndShortcuts();
    void undoAndRedo();
    void readOnlyAndDisabled();
    void mouse();
    void scrollingFollowsTheCaret();
    void inputMethods();
    void longLinesInSegments();

private:
    void keys(std::initializer_list<QKeyCombination> combinations) {
        for (const QKeyCombination c : combinations)
            QTest::keyClick(view, c.key(), c.keyboardModifiers());
    }
    void show(const QString& text) {
        view->setPlainText(text);
        QCOMPARE(view->toPlainText(), text);
    }
    std::unique_ptr<QWidget> window;
    TextView* view = nullptr;
};

void tst_TextView::init() {
    // In a window with another control, as in the program, so Tab has somewhere to go.
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    view = new TextView;
    layout->addWidget(view);
    layout->addWidget(new QLineEdit);
    // Fixed-width, so that columns line up between lines.
    view->setFont(QFont(u"DejaVu Sans Mono"_qs, 10));
    window->resize(400, 340);
    window->show();
    window->activateWindow();
    view->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QVERIFY(view->hasFocus());
}

void tst_TextView::typingAndDeleting() {
    QTest::keyClicks(view, u"hello"_qs);
    keys({Qt::Key_Return});
    QTest::keyClicks(view, u"world"_qs);
    keys({Qt::Key_Tab});
    QCOMPARE(view->toPlainText(), u"hello\nworld\t"_qs);
    QVERIFY(view->hasFocus());
    keys({Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete});
    QCOMPARE(view->toPlainText(), u"hello\norl"_qs);
    // Backspace at a line's start joins it to the line before.
    keys({Qt::Key_Backspace});
    QCOMPARE(view->toPlainText(), u"helloorl"_qs);
    QCOMPARE(view->cursorPosition(), 5);

    // A surrogate pair goes as one character, both ways, and can be typed.
    show(u"a"_qs + Emoji + Emoji + u"b"_qs);
    view->setCursorPosition(3);
    keys({Qt::Key_Backspace});
    QCOMPARE(view->toPlainText(), u"a"_qs + Emoji + u"b"_qs);
    view->setCursorPosition(1);
    keys({Qt::Key_Delete});
    QCOMPARE(view->toPlainText(), u"ab"_qs);
    typeKey(view, Emoji);
    typeKey(view, QString(QChar(0x200C))); // zero-width non-joiner, typed in Persian
    QCOMPARE(view->toPlainText(), u"a"_qs + Emoji + QChar(0x200C) + u"b"_qs);
}

void tst_TextView::movingAndSelecting() {
    show(u"first line\nsecond\nthird line here"_qs);
    keys({Qt::Key_Right, Qt::Key_Right, Qt::Key_Down});
    QCOMPARE(view->cursorPosition(), 13);
    keys({Qt::Key_End});
    QCOMPARE(view->cursorPosition(), 17);
    // The column is kept through a shorter line.
    view->setCursorPosition(9);
    keys({Qt::Key_Down, Qt::Key_Down});
    QCOMPARE(view->cursorPosition(), 27);
    keys({Qt::Key_Up, Qt::Key_Left});
    QCOMPARE(view->cursorPosition(), 16);
    keys({Qt::ShiftModifier | Qt::Key_Home});
    QCOMPARE(view->selectedText(), u"secon"_qs);
    QCOMPARE(view->anchorPosition(), 16);
    // Left without Shift collapses to the selection's start.
    keys({Qt::Key_Left});
    QCOMPARE(view->cursorPosition(), 11);
    QVERIFY(!view->hasSelection());
    keys({Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_End});
    QCOMPARE(view->selectedText(), u"second\nthird line here"_qs);
    keys({Qt::ControlModifier | Qt::Key_Home});
    QCOMPARE(view->cursorPosition(), 0);
    QVERIFY(!view->hasSelection());

    // Typing over a selection replaces it.
    keys({Qt::ShiftModifier | Qt::Key_Right, Qt::ShiftModifier | Qt::Key_Right});
    QTest::keyClicks(view, u"X"_qs);
    QCOMPARE(view->toPlainText(), u"Xrst line\nsecond\nthird line here"_qs);

    show(manyLines(200));
    const qsizetype page = view->viewport()->height() / view->lineHeight() - 1;
    keys({Qt::Key_PageDown});
    QCOMPARE(view->buffer().lineOf(view->cursorPosition()), page);
    QVERIFY(!view->hasSelection());
    keys({Qt::ShiftModifier | Qt::Key_PageDown});
    QCOMPARE(view->buffer().lineOf(view->cursorPosition()), 2 * page);
    QCOMPARE(view->anchorPosition(), view->buffer().lineStart(page));
    keys({Qt::Key_PageUp});
    QCOMPARE(view->buffer().lineOf(view->cursorPosition()), page);
}

void tst_TextView::clipboardAndShortcuts() {
    QClipboard* clipboard = QApplication::clipboard();
    show(u"copy me"_qs);
    keys({Qt::ControlModifier | Qt::Key_A});
    QCOMPARE(view->selectedText(), u"copy me"_qs);
    keys({Qt::ControlModifier | Qt::Key_C});
    QCOMPARE(clipboard->text(), u"copy me"_qs);
    keys({Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_Left,
          Qt::ControlModifier | Qt::Key_X});
    QCOMPARE(clipboard->text(), u"me"_qs);
    QCOMPARE(view->toPlainText(), u"copy "_qs);
    clipboard->setText(u"a\r\nb\rc\u2029d"_qs);
    keys({Qt::ControlModifier | Qt::Key_V});
    QCOMPARE(view->toPlainText(), u"copy a\nb\nc\nd"_qs);
    QCOMPARE(view->cursorPosition(), view->buffer().size());

    // The box's keys win over menu shortcuts while it has the focus; others pass.
    QVERIFY(claims(*view, Qt::Key_X, Qt::ControlModifier));
    QVERIFY(claims(*view, Qt::Key_Home, Qt::ControlModifier));
    QVERIFY(!claims(*view, Qt::Key_N, Qt::ControlModifier));
    QVERIFY(!claims(*view, Qt::Key_F3, Qt::NoModifier));
}

void tst_TextView::undoAndRedo() {
    QTest::keyClicks(view, u"hello world"_qs);
    press(view, QKeySequence::Undo);
    QCOMPARE(view->toPlainText(), u"hello "_qs);
    QCOMPARE(view->cursorPosition(), 6);
    press(view, QKeySequence::Undo);
    QCOMPARE(view->toPlainText(), QString());
    QVERIFY(!view->canUndo());
    press(view, QKeySequence::Redo);
    press(view, QKeySequence::Redo);
    QCOMPARE(view->toPlainText(), u"hello world"_qs);
    QCOMPARE(view->cursorPosition(), 11);
    // A paste and a deletion are steps of their own; a new edit ends what could be redone.
    keys({Qt::Key_Backspace});
    QApplication::clipboard()->setText(u"D!"_qs);
    keys({Qt::ControlModifier | Qt::Key_V});
    press(view, QKeySequence::Undo);
    QCOMPARE(view->toPlainText(), u"hello worl"_qs);
    press(view, QKeySequence::Undo);
    QCOMPARE(view->toPlainText(), u"hello world"_qs);
    QTest::keyClicks(view, u"x"_qs);
    QVERIFY(!view->canRedo());
}

void tst_TextView::readOnlyAndDisabled() {
    show(u"fixed\ntext"_qs);
    view->setReadOnly(true);
    QTest::keyClicks(view, u"abc"_qs);
    keys({Qt::Key_Delete, Qt::Key_Return});
    QApplication::clipboard()->setText(u"pasted"_qs);
    keys({Qt::ControlModifier | Qt::Key_V});
    QCOMPARE(view->toPlainText(), u"fixed\ntext"_qs);
    keys({Qt::Key_Down, Qt::ShiftModifier | Qt::Key_End, Qt::ControlModifier | Qt::Key_C});
    QCOMPARE(QApplication::clipboard()->text(), u"text"_qs);
    keys({Qt::ControlModifier | Qt::Key_X});
    QCOMPARE(view->toPlainText(), u"fixed\ntext"_qs);
    // Keys it cannot use reach the window's menu; moving and copying stay the box's.
    QVERIFY(!claims(*view, Qt::Key_X, Qt::ControlModifier));
    QVERIFY(claims(*view, Qt::Key_C, Qt::ControlModifier));

    view->setReadOnly(false);
    view->setEnabled(false);
    QTest::keyClicks(view, u"abc"_qs);
    keys({Qt::ControlModifier | Qt::Key_Home});
    QCOMPARE(view->toPlainText(), u"fixed\ntext"_qs);
    QCOMPARE(view->selectedText(), u"text"_qs);
    QVERIFY(!claims(*view, Qt::Key_X, Qt::ControlModifier));
}

void tst_TextView::mouse() {
    show(u"alpha beta_2 gamma\nsecond line"_qs);
    QWidget* viewport = view->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pointAt(*view, 8));
    QCOMPARE(view->cursorPosition(), 8);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pointAt(*view, 23));
    QCOMPARE(view->cursorPosition(), 23);
    // Past a line's end or below the last line: the end of that line.
    const int right = viewport->width() - 5;
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(right, pointAt(*view, 0).y()));
    QCOMPARE(view->cursorPosition(), 18);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(right, viewport->height() - 5));
    QCOMPARE(view->cursorPosition(), 30);

    QTest::mousePress(viewport, Qt::LeftButton, {}, pointAt(*view, 2));
    QTest::mouseMove(viewport, pointAt(*view, 22));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointAt(*view, 22));
    QCOMPARE(view->anchorPosition(), 2);
    QCOMPARE(view->cursorPosition(), 22);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, pointAt(*view, 4));
    QCOMPARE(view->selectedText(), u"ph"_qs);

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pointAt(*view, 9));
    QCOMPARE(view->selectedText(), u"beta_2"_qs);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pointAt(*view, 15));
    QCOMPARE(view->selectedText(), u"gamma"_qs);

    // A line separator inside a line (from a file, say) does not hide the text after it.
    show(u"ab\u2028cdef"_qs);
    QVERIFY(view->characterRect(5).left() > view->characterRect(4).left());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pointAt(*view, 5));
    QCOMPARE(view->cursorPosition(), 5);
}

void tst_TextView::scrollingFollowsTheCaret() {
    show(manyLines(10000));
    QScrollBar* vertical = view->verticalScrollBar();
    keys({Qt::ControlModifier | Qt::Key_End});
    QCOMPARE(vertical->value(), vertical->maximum());
    QVERIFY(vertical->maximum() > 9900);
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
    keys({Qt::Key_Up, Qt::Key_End});
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
    keys({Qt::ControlModifier | Qt::Key_Home});
    QCOMPARE(vertical->value(), 0);

    // A line wider than the box scrolls sideways to keep the caret in view.
    show(QString(2000, u'w') + u"\nshort"_qs);
    keys({Qt::Key_End});
    QVERIFY(view->horizontalScrollBar()->value() > 0);
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
}

void tst_TextView::inputMethods() {
    show(u"one\ntwo"_qs);
    view->setCursorPosition(5);
    QInputMethodEvent preedit(u"ni"_qs, {});
    QApplication::sendEvent(view, &preedit);
    QCOMPARE(view->toPlainText(), u"one\ntwo"_qs);
    QInputMethodEvent commit;
    commit.setCommitString(u"\u4f60"_qs);
    QApplication::sendEvent(view, &commit);
    QCOMPARE(view->toPlainText(), u"one\nt\u4f60wo"_qs);
    QCOMPARE(view->cursorPosition(), 6);

    QWidget* widget = view;
    QCOMPARE(widget->inputMethodQuery(Qt::ImSurroundingText).toString(), u"t\u4f60wo"_qs);
    QCOMPARE(widget->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    QVERIFY(widget->inputMethodQuery(Qt::ImEnabled).toBool());
    // Replacing the characters before the caret, as a correcting input method does.
    QInputMethodEvent replace;
    replace.setCommitString(u"T"_qs, -2, 1);
    QApplication::sendEvent(view, &replace);
    QCOMPARE(view->toPlainText(), u"one\nT\u4f60wo"_qs);
    view->setReadOnly(true);
    QVERIFY(!widget->inputMethodQuery(Qt::ImEnabled).toBool());
    QApplication::sendEvent(view, &commit);
    QCOMPARE(view->toPlainText(), u"one\nT\u4f60wo"_qs);
}

// A line of hundreds of thousands of characters is laid out in segments: clicks and the caret
// land on the same characters on both sides of a segment's edge, and typing at its end stays
// quick.
void tst_TextView::longLinesInSegments() {
    QString line;
    while (line.size() < 300000)
        line += u"word%1 "_qs.arg(line.size() % 97);
    show(u"short\n"_qs + line + u"\nafter"_qs);
    const qsizetype start = 6;
    for (const qsizetype at : {0, 2047, 2048, 2049, 4095, 4096, 100001, 299999}) {
        view->setCursorPosition(start + at);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Left); // scrolled into view
        const QRect box = view->characterRect(start + at);
        QVERIFY(box.width() > 1);
        QCOMPARE(view->positionAt(box.topLeft() + QPoint(1, box.height() / 2)), start + at);
        QVERIFY(view->characterRect(start + at + 1).left() >= box.left());
    }
    keys({Qt::Key_Down, Qt::Key_End, Qt::Key_Up, Qt::Key_End});
    QCOMPARE(view->cursorPosition(), start + line.size());
    QElapsedTimer timer;
    timer.start();
    QTest::keyClicks(view, u"typed at the end of a long line"_qs);
    QVERIFY2(timer.elapsed() < 300, qPrintable(u"%1 ms"_qs.arg(timer.elapsed())));
    QVERIFY(view->toPlainText().endsWith(u"typed at the end of a long line\nafter"_qs));
}

QTEST_MAIN(tst_TextView)
#include "tst_TextView.moc"
