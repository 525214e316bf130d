// What the differential test (beside QPlainTextEdit, on short random texts) seldom or never
// reaches: the box in a window, read-only and disabled, input methods and its own calls, drags
// held down, scroll ranges, and lines longer than a layout segment.
#include "widgets/SideBySide.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>

namespace {

const QString Emoji = QString::fromUcs4(U"\U0001F600");

bool claims(TextView& view, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::ShortcutOverride, key, modifiers);
    event.ignore();
    QApplication::sendEvent(&view, &event);
    return event.isAccepted();
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
    void keysInAWindow();
    void readOnlyAndDisabled();
    void callsAndInputMethodsKeepCharactersWhole();
    void dragsByWordsAndLines();
    void draggingPastTheEdgeScrolls();
    void scrollRangesFollowTheText();
    void longLinesCrossSegmentEdges();
    void contextMenuAsQPlainTextEdit();

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

// Tab types a tab with somewhere else to go; pasted line breaks of every kind become '\n'.
void tst_TextView::keysInAWindow() {
    QTest::keyClicks(view, u"one two"_qs);
    keys({Qt::Key_Tab});
    QVERIFY(view->hasFocus());
    QApplication::clipboard()->setText(u"a\r\nb\rc\u2029d"_qs);
    keys({Qt::ControlModifier | Qt::Key_V});
    QCOMPARE(view->toPlainText(), u"one two\ta\nb\nc\nd"_qs);
    QCOMPARE(view->cursorPosition(), view->buffer().size());
    // Its own keys win over menu shortcuts (Ctrl+X is also the menu's Redo).
    QVERIFY(claims(*view, Qt::Key_X, Qt::ControlModifier));
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

// The caret and the ends of a selection never fall between the halves of a surrogate pair,
// whoever puts them there, and no edit leaves half of one (which could only be saved as "?").
void tst_TextView::callsAndInputMethodsKeepCharactersWhole() {
    show(u"a"_qs + Emoji + u"e\u0301b"_qs); // a, the emoji at 1-2, e and its accent at 3-4
    view->setCursorPosition(2);
    QCOMPARE(view->cursorPosition(), 1);
    view->setSelection(4, 2);
    QCOMPARE(view->anchorPosition(), 4);
    QCOMPARE(view->cursorPosition(), 1);
    view->replaceRange(2, 1, u"x"_qs);
    QCOMPARE(view->toPlainText(), u"axe\u0301b"_qs);
    view->insertText(QChar(0xD83D) + u"!"_qs + QChar(0xDE00));
    QCOMPARE(view->toPlainText(), u"ax\ufffd!\ufffde\u0301b"_qs);

    // A preedit changes nothing; a commit types; a correction replaces the characters before
    // the caret, whole, as an input method sends it.
    show(u"one\ntwo"_qs + Emoji);
    view->setCursorPosition(5);
    QInputMethodEvent preedit(u"ni"_qs, {});
    QApplication::sendEvent(view, &preedit);
    QCOMPARE(view->toPlainText(), u"one\ntwo"_qs + Emoji);
    QInputMethodEvent commit;
    commit.setCommitString(u"\u4f60"_qs);
    QApplication::sendEvent(view, &commit);
    QCOMPARE(view->toPlainText(), u"one\nt\u4f60wo"_qs + Emoji);
    QWidget* widget = view;
    QCOMPARE(widget->inputMethodQuery(Qt::ImSurroundingText).toString(), u"t\u4f60wo"_qs + Emoji);
    QCOMPARE(widget->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    QVERIFY(widget->inputMethodQuery(Qt::ImEnabled).toBool());
    QInputMethodEvent correct;
    correct.setCommitString(u"T"_qs, -2, 1);
    QApplication::sendEvent(view, &correct);
    QCOMPARE(view->toPlainText(), u"one\nT\u4f60wo"_qs + Emoji);
    view->setCursorPosition(view->buffer().size());
    correct.setCommitString(u"Q"_qs, -1, 1); // the caret's neighbour is the emoji's second half
    QApplication::sendEvent(view, &correct);
    QCOMPARE(view->toPlainText(), u"one\nT\u4f60woQ"_qs);
    view->setReadOnly(true);
    QVERIFY(!widget->inputMethodQuery(Qt::ImEnabled).toBool());
    QApplication::sendEvent(view, &commit);
    QCOMPARE(view->toPlainText(), u"one\nT\u4f60woQ"_qs);
}

// Dragging on after a double click extends by words, after a third click by lines. A line
// separator inside a line does not hide the text after it.
void tst_TextView::dragsByWordsAndLines() {
    QWidget* viewport = view->viewport();
    show(u"ab\u2028cdef"_qs);
    QVERIFY(view->characterRect(5).left() > view->characterRect(4).left());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pointAt(*view, 5));
    QCOMPARE(view->cursorPosition(), 5);

    show(u"one two three\nnext line\nlast"_qs);
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonPress, QEvent::MouseButtonDblClick})
        mouse(viewport, type, pointAt(*view, 5));
    mouse(viewport, QEvent::MouseMove, pointAt(*view, 12)); // nearer the end of "three"
    QCOMPARE(view->selectedText(), u"two three"_qs);
    mouse(viewport, QEvent::MouseButtonRelease, pointAt(*view, 12));
    mouse(viewport, QEvent::MouseButtonPress, pointAt(*view, 5));
    QCOMPARE(view->selectedText(), u"one two three\n"_qs);
    mouse(viewport, QEvent::MouseMove, pointAt(*view, 16));
    QCOMPARE(view->selectedText(), u"one two three\nnext line\n"_qs);
    mouse(viewport, QEvent::MouseButtonRelease, pointAt(*view, 16));
}

// Held past an edge, the mouse keeps scrolling the text and extending the selection.
void tst_TextView::draggingPastTheEdgeScrolls() {
    show(manyLines(300) + QString(400, u'w'));
    QWidget* viewport = view->viewport();
    QScrollBar* vertical = view->verticalScrollBar();
    mouse(viewport, QEvent::MouseButtonPress, pointAt(*view, 2));
    mouse(viewport, QEvent::MouseMove, QPoint(50, viewport->height() + 40));
    QTRY_VERIFY(vertical->value() > 20);
    QVERIFY(view->buffer().lineOf(view->cursorPosition()) > 20);
    QCOMPARE(view->anchorPosition(), 2);
    mouse(viewport, QEvent::MouseMove, QPoint(50, -40));
    QTRY_COMPARE(vertical->value(), 0);
    QCOMPARE(view->cursorPosition(), 0);
    mouse(viewport, QEvent::MouseButtonRelease, QPoint(50, -40));
    const int stopped = vertical->value();
    QTest::qWait(200);
    QCOMPARE(vertical->value(), stopped);

    keys({Qt::ControlModifier | Qt::Key_End, Qt::Key_Home});
    const QPoint lineStart = pointAt(*view, view->cursorPosition());
    mouse(viewport, QEvent::MouseButtonPress, lineStart);
    mouse(viewport, QEvent::MouseMove, QPoint(viewport->width() + 40, lineStart.y()));
    QTRY_VERIFY(view->horizontalScrollBar()->value() > 0);
    QTRY_VERIFY(view->selectedText().size() > 60);
    mouse(viewport, QEvent::MouseButtonRelease, QPoint(viewport->width() + 40, lineStart.y()));
}

// The caret stays in view at the end of many lines and of a line wider than the box. The
// horizontal range comes from measured widths: it is right before the end of a line of wide
// letters is shown, and it shrinks when the longest line goes.
void tst_TextView::scrollRangesFollowTheText() {
    QScrollBar* horizontal = view->horizontalScrollBar();
    show(manyLines(10000) + QString(2000, u'w'));
    keys({Qt::ControlModifier | Qt::Key_End});
    QVERIFY(view->verticalScrollBar()->value() > 9900);
    QVERIFY(horizontal->value() > 0);
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
    keys({Qt::ControlModifier | Qt::Key_Home});
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    QCOMPARE(horizontal->value(), 0);

    view->setFont(QFont(u"DejaVu Sans"_qs, 10));
    show(u"short\n"_qs + QString(10000, u'W') + u"\nshort"_qs);
    const int range = horizontal->maximum();
    view->setCursorPosition(6);
    keys({Qt::Key_End});
    QVERIFY2(qAbs(horizontal->maximum() - range) <= 2,
             qPrintable(u"%1 then %2"_qs.arg(range).arg(horizontal->maximum())));
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
    keys({Qt::ShiftModifier | Qt::Key_Home, Qt::Key_Delete});
    QCOMPARE(horizontal->maximum(), 0);
    QCOMPARE(horizontal->value(), 0);
}

// Lines longer than a segment (2,048 characters) are laid out in pieces. Each edge between
// pieces falls where the whole line could break: an emoji, a flag, a combining sequence or a
// right-to-left phrase across the place of a fixed cut stays whole, and moving, clicking,
// selecting and tab stops cross the edge as if it were not there.
void tst_TextView::longLinesCrossSegmentEdges() {
    const QString hebrew = u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD "_qs.repeated(30);
    QString line = QString(2047, u'a') + Emoji;
    line += QString(4094 - line.size(), u'b') + QString::fromUcs4(U"\U0001F1E9\U0001F1EA");
    line += QString(6143 - line.size(), u'c') + u"e\u0301\u0302\u0303"_qs;
    line += QString(8100 - line.size(), u'd') + hebrew;
    line += QString(10000 - line.size(), u'e');
    // A word over a cut, too far from any space to move the cut; tab-separated fields; a
    // right-to-left line, whose first segment is its rightmost.
    const QString words =
        QString(1000, u'x') + u' ' + QString(1400, u'y') + u' ' + QString(3000, u'z');
    QString fields;
    for (int i = 0; fields.size() < 9000; ++i)
        fields += QString(5 + (i * 37) % 60, u'f') + u'\t';
    const QString rightToLeft = hebrew.repeated(17);
    show(line + u'\n' + words + u'\n' + fields + u'\n' + rightToLeft);

    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, line);
    auto isCluster = [&](qsizetype position) {
        clusters.setPosition(position);
        return clusters.isAtBoundary();
    };
    for (const qsizetype cut : {2048, 4096, 6144}) {
        view->setCursorPosition(cut - 6);
        for (int i = 0; i < 12; ++i) {
            keys({Qt::ShiftModifier | Qt::Key_Right});
            QVERIFY2(isCluster(view->cursorPosition()), qPrintable(QString::number(cut)));
            QVERIFY(view->selectedText().isValidUtf16());
        }
        const int y = view->characterRect(cut).center().y();
        for (int x = view->characterRect(cut - 3).left(); x < view->characterRect(cut + 3).left();
             ++x)
            QVERIFY2(isCluster(view->positionAt(QPoint(x, y))), qPrintable(QString::number(x)));
    }
    // The phrase reads from right to left all through, and so does the right-to-left line.
    const qsizetype fourth = line.size() + words.size() + fields.size() + 3;
    for (const auto& [from, to] : {std::pair<qsizetype, qsizetype>{8101, 8397},
                                   {fourth + 1, fourth + rightToLeft.size() - 2}})
        for (qsizetype at = from; at < to; ++at)
            QVERIFY2(view->characterRect(at + 1).left() < view->characterRect(at).left(),
                     qPrintable(QString::number(at)));

    const qsizetype second = line.size() + 1;
    view->setCursorPosition(second + 1001);
    keys({Qt::ControlModifier | Qt::Key_Right});
    QCOMPARE(view->cursorPosition(), second + 2402);
    keys({Qt::ControlModifier | Qt::Key_Left});
    QCOMPARE(view->cursorPosition(), second + 1001);

    // Typing at the end of the long line and near its start.
    keys({Qt::ControlModifier | Qt::Key_Home, Qt::Key_End});
    QTest::keyClicks(view, u"typed"_qs);
    view->setCursorPosition(3);
    QTest::keyClicks(view, u"typed"_qs);
    QCOMPARE(view->buffer().line(0), line.insert(3, u"typed"_qs) + u"typed"_qs);
    QVERIFY(view->viewport()->rect().contains(view->cursorRect()));
}

// The same entries, keys shown, as QPlainTextEdit's standard menu.
void tst_TextView::contextMenuAsQPlainTextEdit() {
    show(u"some text"_qs);
    QPlainTextEdit theirs(u"some text"_qs);
    std::unique_ptr<QMenu> standard(theirs.createStandardContextMenu());
    QStringList expected;
    for (const QAction* entry : standard->actions())
        expected << entry->text();
    QStringList shown;
    QTimer::singleShot(0, view, [&shown] {
        QWidget* menu = QApplication::activePopupWidget();
        for (const QAction* entry : menu ? menu->actions() : QList<QAction*>())
            shown << entry->text();
        if (menu)
            menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            view->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &event);
    QCOMPARE(shown, expected);
    QVERIFY(shown.first().contains(u'\t'));
}

QTEST_MAIN(tst_TextView)
#include "tst_TextView.moc"
