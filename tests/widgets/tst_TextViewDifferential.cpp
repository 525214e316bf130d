// The editing box beside QPlainTextEdit, both driven by the same random keys and clicks on the
// same random texts: after every step they must hold the same text, caret and selection, and
// show the same top line. A failure prints the shortest sequence of steps that still fails.
// NOTAVO_DIFF_SEED=n replays a run; NOTAVO_DIFF_STEPS=n sets how many steps it makes.
#include "document/DocumentFormat.h"
#include "document/Windows1252.h"
#include "editor/TextView.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>
#include <optional>

namespace {

// Where the box deliberately differs from QPlainTextEdit, all in one place. The generator never
// makes these:
// - A line separator (U+2028) shows as a mark in the box, where QPlainTextEdit starts another
//   screen line: the box keeps one screen line to a line of the document, so that a line of a
//   100 MB document is found without laying anything out. Texts hold none, and Shift+Return
//   (U+2028 in QPlainTextEdit, a line break in the box) is never pressed.
// - Lines longer than a layout segment (2,048 units) are laid out in segments; until moves
//   cross segment edges as if there were none, texts hold no such line (longLines).
// - Keys end what a double or triple click began: a Shift+click after them extends from the
//   caret, where QPlainTextEdit still extends by the words or lines of that old click. Such a
//   Shift+click is never made.
// - A drag that starts inside the selection carries the selected text away in QPlainTextEdit
//   (drag and drop); the box selects from the press instead. Drags start outside the selection.
// - QPlainTextEdit makes a line as high as the tallest font drawing it (a joiner in an emoji
//   sequence takes a taller one), the box every line as high as its own font: the lines of a
//   100 MB document are found without laying them out. Once a text has had a taller line, the
//   two scroll differently: the top line is no longer compared, and neither Page Up/Down nor the
//   mouse (which clicks where a character is on the screen) is used on it.
// - A right-to-left line wider than the box: QPlainTextEdit lays it out from the right edge of
//   the box, so that its start lies to the left of the box, out of reach of the scroll bar; the
//   box starts it at the left edge like every line. A text's run ends when such a line appears.
// - Undoing a paste made at the very start of the text, with nothing selected, leaves the caret
//   where the paste was; QPlainTextEdit moves it to the start of the next line (the paste set
//   the first line's character format, and undoing that counts as an edit of the whole line).
//   Such a paste is never made.
// - Return on an empty line: QPlainTextEdit first resets the line's format, an undo step of its
//   own that Ctrl+Z then takes back with nothing to see. The box makes no such step; there the
//   test gives QPlainTextEdit its line break through QTextCursor::insertBlock, which skips it.
constexpr bool longLines = false;

enum class Action { Key, Click, ShiftClick, DoubleClick, TripleClick, Drag };
// Where a click lands: on a character, past the end of its line, under the last line, or in
// the margin above the first.
enum class Spot { OnCharacter, PastLineEnd, BelowText, AboveText };

struct Step {
    Action action = Action::Key;
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
    quint32 where = 0; // picks a position: where % (length + 1)
    quint32 to = 0;    // the same, for the end of a drag
    Spot spot = Spot::OnCharacter;
};

QString escaped(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"')
            out += QChar(c);
        else if (c == u'\n')
            out += u"\\n"_qs;
        else if (c == u'\t')
            out += u"\\t"_qs;
        else
            out += c > 0xFFFF ? u"\\U%1"_qs.arg(uint(c), 8, 16, QChar(u'0'))
                              : u"\\u%1"_qs.arg(uint(c), 4, 16, QChar(u'0'));
    }
    return u'"' + out + u'"';
}

QString describe(const Step& step) {
    switch (step.action) {
    case Action::Key: {
        QString name = QKeySequence(QKeyCombination(step.modifiers, Qt::Key(step.key))).toString();
        if (step.key == Qt::Key_unknown || name.isEmpty())
            name = u"type "_qs + escaped(step.text);
        return name;
    }
    case Action::Click:
    case Action::ShiftClick: {
        static const char* spots[] = {"at", "past the line end of", "below the text, from",
                                      "above the text, over"};
        return u"%1click %2 %3"_qs
            .arg(step.action == Action::ShiftClick ? u"Shift+"_qs : QString(),
                 QString::fromLatin1(spots[int(step.spot)]))
            .arg(step.where);
    }
    case Action::DoubleClick:
        return u"double-click at %1"_qs.arg(step.where);
    case Action::TripleClick:
        return u"third click"_qs;
    case Action::Drag:
        return u"drag from %1 to %2"_qs.arg(step.where).arg(step.to);
    }
    return QString();
}

// Random texts and steps. latinOnly keeps to characters Windows-1252 holds.
class Generator {
public:
    Generator(quint32 seed, bool latinOnly) : random(seed), latinOnly(latinOnly) {}

    QString text() {
        QStringList lines;
        const int count = int(random.bounded(1, 14));
        for (int i = 0; i < count; ++i)
            lines << line();
        if (longLines && random.bounded(4) == 0) {
            QString longLine;
            while (longLine.size() < 5000)
                longLine += line() + u' ';
            lines.insert(int(random.bounded(lines.size() + 1)), longLine);
        }
        return lines.join(u'\n');
    }

    std::vector<Step> steps(int count) {
        std::vector<Step> out;
        for (int i = 0; i < count; ++i) {
            out.push_back(step());
            if (out.back().action == Action::DoubleClick && random.bounded(3) == 0) {
                Step third;
                third.action = Action::TripleClick;
                out.push_back(third);
            }
        }
        return out;
    }

private:
    template <typename T> const T& pick(const QList<T>& list) {
        return list.at(int(random.bounded(list.size())));
    }

    QString line() {
        static const QStringList latin = {
            u"alpha"_qs,     u"beta"_qs,       u"x"_qs,       u"don't"_qs,      u"e-mail"_qs,
            u"a.b"_qs,       u"(paren)"_qs,    u"123"_qs,     u"3.14"_qs,       u"foo_bar"_qs,
            u"caf\u00e9"_qs, u"na\u00efve"_qs, u"\u20ac5"_qs, u"Stra\u00dfe"_qs};
        static const QStringList other = {u"nai\u0308ve"_qs,
                                          u"e\u0301"_qs,
                                          u"a\u0308\u0301"_qs,
                                          u"\U0001F600"_qs,
                                          u"\u2764\uFE0F"_qs,
                                          u"\U0001F44D\U0001F3FD"_qs,
                                          u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_qs,
                                          u"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"_qs,
                                          u"\u4f60\u597d"_qs,
                                          u"\u4e16\u754c"_qs,
                                          u"\U00020000\U00020001"_qs,
                                          u"\u03a9\u03bc\u03ad\u03b3\u03b1"_qs,
                                          u"\u041f\u0440\u0438\u0432\u0435\u0442"_qs};
        static const QStringList rightToLeft = {u"\u05e9\u05dc\u05d5\u05dd"_qs,
                                                u"\u05e2\u05d5\u05dc\u05dd"_qs,
                                                u"\u0645\u0631\u062d\u0628\u0627"_qs,
                                                u"\u0628\u0627\u0644\u0639\u0627\u0644\u0645"_qs,
                                                u"\u0661\u0662\u0663"_qs,
                                                u"42"_qs};
        static const QStringList gaps = {u" "_qs,  u" "_qs,  u"  "_qs, u"\t"_qs,
                                         u", "_qs, u". "_qs, u" - "_qs};
        const quint32 kind = latinOnly ? 0 : random.bounded(4);
        QString out;
        const int tokens = int(random.bounded(9));
        for (int i = 0; i < tokens; ++i) {
            if (i > 0)
                out += pick(gaps);
            if (kind == 3 || (kind == 2 && random.bounded(2) == 0))
                out += pick(rightToLeft);
            else if (kind == 1 && random.bounded(2) == 0)
                out += pick(other);
            else
                out += pick(latin);
        }
        return out;
    }

    Step key(int key, Qt::KeyboardModifiers modifiers = {}, const QString& text = QString()) {
        Step step;
        step.key = key;
        step.modifiers = modifiers;
        step.text = text;
        return step;
    }

    Step binding(QKeySequence::StandardKey standard) {
        const QKeyCombination combination = QKeySequence::keyBindings(standard).value(0)[0];
        return key(combination.key(), combination.keyboardModifiers());
    }

    Step step() {
        static const QStringList typedLatin = {u"a"_qs, u"b"_qs, u"Z"_qs, u" "_qs,     u"1"_qs,
                                               u"."_qs, u"-"_qs, u"'"_qs, u"\u00e9"_qs};
        static const QStringList typedOther = {u"\u0301"_qs,    u"\U0001F600"_qs, u"\u4f60"_qs,
                                               u"\u05e9"_qs,    u"\u0645"_qs,     u"\U00020000"_qs,
                                               u"\U0001F1E9"_qs};
        const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier,
                                                   Qt::ControlModifier,
                                                   Qt::ControlModifier | Qt::ShiftModifier};
        const quint32 roll = random.bounded(100);
        if (roll < 22) {
            const QString typed =
                latinOnly || random.bounded(3) > 0 ? pick(typedLatin) : pick(typedOther);
            return key(typed == u" "_qs ? Qt::Key_Space : Qt::Key_unknown, {}, typed);
        }
        if (roll < 25)
            return key(Qt::Key_Return, {}, u"\r"_qs);
        if (roll < 26)
            return key(Qt::Key_Tab, {}, u"\t"_qs);
        if (roll < 50) {
            static const int arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
            return key(arrows[random.bounded(4)], modifiers[random.bounded(4)]);
        }
        if (roll < 56) {
            static const int ends[] = {Qt::Key_Home, Qt::Key_End};
            return key(ends[random.bounded(2)], modifiers[random.bounded(4)]);
        }
        if (roll < 60) {
            static const int pages[] = {Qt::Key_PageUp, Qt::Key_PageDown};
            return key(pages[random.bounded(2)], modifiers[random.bounded(2)]);
        }
        if (roll < 68)
            return key(Qt::Key_Backspace);
        if (roll < 74)
            return key(Qt::Key_Delete);
        if (roll < 76)
            return key(random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Delete, Qt::ControlModifier);
        if (roll < 80)
            return binding(QKeySequence::Undo);
        if (roll < 82)
            return binding(QKeySequence::Redo);
        if (roll < 84) {
            static const QKeySequence::StandardKey clipboard[] = {
                QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Paste,
                QKeySequence::SelectAll};
            return binding(clipboard[random.bounded(5)]);
        }
        Step mouse;
        mouse.where = random.generate();
        mouse.to = random.generate();
        if (roll < 89) {
            mouse.action = Action::Click;
            const quint32 spot = random.bounded(10);
            mouse.spot = spot < 7 ? Spot::OnCharacter : Spot(spot - 6);
        } else if (roll < 92) {
            mouse.action = Action::ShiftClick;
        } else if (roll < 96) {
            mouse.action = Action::DoubleClick;
        } else {
            mouse.action = Action::Drag;
        }
        return mouse;
    }

    QRandomGenerator random;
    bool latinOnly;
};

struct State {
    QString text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    qsizetype top = 0;
};

// The two boxes side by side, one window each, alike in font, size, margins and tab stops.
class Boxes {
public:
    Boxes() {
        for (QAbstractScrollArea* box : {static_cast<QAbstractScrollArea*>(&ours),
                                         static_cast<QAbstractScrollArea*>(&theirs)}) {
            box->setFont(QFont(u"DejaVu Sans Mono"_qs, 10));
            box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->resize(900, 260);
            box->show();
        }
        theirs.setLineWrapMode(QPlainTextEdit::NoWrap);
    }

    bool sameGeometry() const { return ours.viewport()->size() == theirs.viewport()->size(); }

    void reset(const QString& text) {
        letTripleClickLapse();
        QApplication::clipboard()->clear();
        ours.setPlainText(text);
        theirs.setPlainText(text);
        evenSoFar = true;
        lastDoubleClick.reset();
        clickMode = ClickMode::None;
    }

    State oursNow() const {
        return {ours.toPlainText(), ours.cursorPosition(), ours.anchorPosition(),
                ours.firstVisibleLine()};
    }

    State theirsNow() const {
        QString text = theirs.document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u'\n');
        const QTextCursor cursor = theirs.textCursor();
        return {text, cursor.position(), cursor.anchor(), theirs.verticalScrollBar()->value()};
    }

    // A right-to-left line wider than the box, where the two lay lines out differently.
    bool wideRightToLeftLine() const {
        const qreal width = theirs.viewport()->width() - 2 * theirs.document()->documentMargin();
        for (QTextBlock block = theirs.document()->firstBlock(); block.isValid();
             block = block.next()) {
            const QTextLayout* layout = block.layout();
            if (block.textDirection() == Qt::RightToLeft && layout->lineCount() > 0 &&
                layout->lineAt(0).naturalTextWidth() > width)
                return true;
        }
        return false;
    }

    // Every line of QPlainTextEdit as high as the box's lines so far, so that both scroll alike.
    bool evenLines() {
        evenSoFar = evenSoFar && evenNow();
        return evenSoFar;
    }

    bool evenNow() const {
        for (QTextBlock block = theirs.document()->firstBlock(); block.isValid();
             block = block.next()) {
            const QTextLayout* layout = block.layout();
            if (layout->lineCount() > 0 && int(layout->lineAt(0).height()) != ours.lineHeight())
                return false;
        }
        return true;
    }

    // Applies the step to both; false when it cannot be made here (a point out of view).
    bool apply(const Step& step) {
        hits.clear();
        const std::optional<Points> doubleClick = std::exchange(lastDoubleClick, std::nullopt);
        if (doubleClick && step.action != Action::TripleClick)
            letTripleClickLapse();
        const qsizetype length = ours.buffer().size();
        const qsizetype where = qsizetype(step.where % quint32(length + 1));
        if (step.action != Action::Key && !evenLines())
            return false;
        switch (step.action) {
        case Action::Key: {
            if ((step.key == Qt::Key_PageUp || step.key == Qt::Key_PageDown) && !evenLines())
                return false;
            QKeyEvent probe(QEvent::KeyPress, step.key, step.modifiers);
            if (probe.matches(QKeySequence::Paste) && ours.cursorPosition() == 0 &&
                !ours.hasSelection())
                return false;
            if (clickMode != ClickMode::None)
                clickMode = ClickMode::Stale;
            for (QWidget* box : {static_cast<QWidget*>(&ours), static_cast<QWidget*>(&theirs)}) {
                QKeyEvent press(QEvent::KeyPress, step.key, step.modifiers, step.text);
                if (box == &theirs && press.matches(QKeySequence::InsertParagraphSeparator) &&
                    theirs.textCursor().block().text().isEmpty()) {
                    QTextCursor cursor = theirs.textCursor();
                    cursor.insertBlock();
                    theirs.setTextCursor(cursor);
                    continue;
                }
                QApplication::sendEvent(box, &press);
            }
            return true;
        }
        case Action::Click:
        case Action::ShiftClick: {
            const bool shift = step.action == Action::ShiftClick;
            if (shift && clickMode == ClickMode::Stale)
                return false;
            const auto points = pointsFor(where, step.spot);
            if (!points)
                return false;
            if (!shift)
                noteClickAt(ours.positionAt(points->first));
            click(*points, shift ? Qt::ShiftModifier : Qt::NoModifier);
            return true;
        }
        case Action::DoubleClick: {
            const auto points = pointsFor(where, Spot::OnCharacter);
            if (!points)
                return false;
            noteClickAt(ours.positionAt(points->first));
            click(*points, {});
            for (int i = 0; i < 2; ++i) {
                QWidget* viewport = i == 0 ? ours.viewport() : theirs.viewport();
                const QPoint point = i == 0 ? points->first : points->second;
                mouse(viewport, QEvent::MouseButtonPress, point, {});
                mouse(viewport, QEvent::MouseButtonDblClick, point, {});
                mouse(viewport, QEvent::MouseButtonRelease, point, {});
            }
            lastDoubleClick = points;
            clickMode = ClickMode::Fresh;
            return true;
        }
        case Action::TripleClick:
            if (!doubleClick)
                return false;
            click(*doubleClick, {});
            return true;
        case Action::Drag: {
            const qsizetype to = qsizetype(step.to % quint32(length + 1));
            const auto from = pointsFor(where, Spot::OnCharacter);
            const auto until = pointsFor(to, Spot::OnCharacter);
            if (!from || !until)
                return false;
            const qsizetype pressed = ours.positionAt(from->first);
            if (ours.hasSelection() && pressed >= ours.selectionStart() &&
                pressed <= ours.selectionEnd())
                return false;
            noteClickAt(pressed);
            for (int i = 0; i < 2; ++i) {
                QWidget* viewport = i == 0 ? ours.viewport() : theirs.viewport();
                const QPoint start = i == 0 ? from->first : from->second;
                const QPoint end = i == 0 ? until->first : until->second;
                mouse(viewport, QEvent::MouseButtonPress, start, {});
                mouse(viewport, QEvent::MouseMove, (start + end) / 2, {});
                mouse(viewport, QEvent::MouseMove, end, {});
                mouse(viewport, QEvent::MouseButtonRelease, end, {});
            }
            return true;
        }
        }
        return false;
    }

    TextView ours;
    QPlainTextEdit theirs;
    mutable QString hits; // where the last step's clicks landed, for the report

private:
    using Points = std::pair<QPoint, QPoint>; // in our viewport, in theirs

    // After a double click a third one selects the line, until a timer runs out.
    static void letTripleClickLapse() {
        QTest::qSleep(QApplication::doubleClickInterval() + 1);
        QCoreApplication::processEvents();
    }

    // A left-button event.
    static void mouse(QWidget* viewport, QEvent::Type type, QPoint point,
                      Qt::KeyboardModifiers modifiers) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent event(type, point, viewport->mapToGlobal(point),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          modifiers);
        QApplication::sendEvent(viewport, &event);
    }

    void click(const Points& points, Qt::KeyboardModifiers modifiers) {
        for (int i = 0; i < 2; ++i) {
            QWidget* viewport = i == 0 ? ours.viewport() : theirs.viewport();
            const QPoint point = i == 0 ? points.first : points.second;
            mouse(viewport, QEvent::MouseButtonPress, point, modifiers);
            mouse(viewport, QEvent::MouseButtonRelease, point, modifiers);
        }
    }

    // A plain press outside the selection ends the word or line mode of a double click.
    void noteClickAt(qsizetype position) {
        if (!(ours.hasSelection() && position >= ours.selectionStart() &&
              position <= ours.selectionEnd()))
            clickMode = ClickMode::None;
    }

    // The point to click in each box for a position, inside both views, or nothing.
    std::optional<Points> pointsFor(qsizetype position, Spot spot) const {
        QRect mine = ours.characterRect(position);
        QTextCursor cursor(theirs.document());
        cursor.setPosition(int(position));
        QRect other = theirs.cursorRect(cursor);
        const int lineEnd = int(ours.buffer().lineEnd(ours.buffer().lineOf(position)));
        if (spot == Spot::PastLineEnd) {
            mine = ours.characterRect(lineEnd);
            cursor.setPosition(lineEnd);
            other = theirs.cursorRect(cursor);
        }
        QPoint a(mine.left() + 1, mine.center().y());
        QPoint b(other.left() + 1, other.center().y());
        switch (spot) {
        case Spot::OnCharacter:
            break;
        case Spot::PastLineEnd: // the same distance past the end in both, whatever their scrolling
            a.rx() += 30;
            b.rx() += 30;
            break;
        case Spot::BelowText: {
            const qsizetype end = ours.buffer().size();
            cursor.setPosition(int(end));
            a.ry() = ours.characterRect(end).bottom() + 3;
            b.ry() = theirs.cursorRect(cursor).bottom() + 3;
            break;
        }
        case Spot::AboveText:
            if (ours.firstVisibleLine() != 0 || theirs.verticalScrollBar()->value() != 0)
                return std::nullopt;
            a.ry() = b.ry() = 1;
            break;
        }
        // Clear of the sides, so that a click never scrolls sideways (where the two differ).
        const QRect inside = ours.viewport()->rect().adjusted(10, 0, -10, -1);
        if (!inside.contains(a) || !theirs.viewport()->rect().adjusted(10, 0, -10, -1).contains(b))
            return std::nullopt;
        hits += u" (hits %1, QPlainTextEdit %2)"_qs.arg(ours.positionAt(a))
                    .arg(theirs.cursorForPosition(b).position());
        return Points(a, b);
    }

    bool evenSoFar = true;
    enum class ClickMode { None, Fresh, Stale };
    ClickMode clickMode = ClickMode::None;
    std::optional<Points> lastDoubleClick;
};

struct Failure {
    qsizetype step = -1; // the step after which the boxes differed
    QString why;
};

QString difference(const State& mine, const State& theirs, bool compareTop) {
    if (mine.text != theirs.text)
        return u"text %1, QPlainTextEdit %2"_qs.arg(escaped(mine.text), escaped(theirs.text));
    if (mine.cursor != theirs.cursor || mine.anchor != theirs.anchor)
        return u"caret %1 anchor %2, QPlainTextEdit caret %3 anchor %4 in %5"_qs.arg(mine.cursor)
            .arg(mine.anchor)
            .arg(theirs.cursor)
            .arg(theirs.anchor)
            .arg(escaped(mine.text));
    if (compareTop && mine.top != theirs.top)
        return u"top line %1, QPlainTextEdit %2"_qs.arg(mine.top).arg(theirs.top);
    return QString();
}

Failure run(Boxes& boxes, const QString& text, const std::vector<Step>& steps) {
    boxes.reset(text);
    for (size_t i = 0; i < steps.size() && !boxes.wideRightToLeftLine(); ++i) {
        if (!boxes.apply(steps[i]))
            continue;
        const QString why = difference(boxes.oursNow(), boxes.theirsNow(), boxes.evenLines());
        if (!why.isEmpty())
            return {qsizetype(i), why};
    }
    return {};
}

// The shortest sequence (and text) found that still fails, by taking away steps and lines.
QString shortest(Boxes& boxes, QString text, std::vector<Step> steps, Failure failure) {
    steps.resize(size_t(failure.step + 1));
    bool shorter = true;
    while (shorter) {
        shorter = false;
        for (size_t chunk = std::max<size_t>(1, steps.size() / 2); chunk >= 1; chunk /= 2) {
            for (size_t i = 0; i + chunk <= steps.size();) {
                std::vector<Step> fewer = steps;
                fewer.erase(fewer.begin() + qsizetype(i), fewer.begin() + qsizetype(i + chunk));
                const Failure again = run(boxes, text, fewer);
                if (again.step >= 0) {
                    fewer.resize(size_t(again.step + 1));
                    steps = fewer;
                    failure = again;
                    shorter = true;
                } else {
                    i += chunk;
                }
            }
            if (chunk == 1)
                break;
        }
        QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size() && lines.size() > 1;) {
            QStringList fewer = lines;
            fewer.removeAt(i);
            const Failure again = run(boxes, fewer.join(u'\n'), steps);
            if (again.step >= 0) {
                lines = fewer;
                text = lines.join(u'\n');
                steps.resize(size_t(again.step + 1));
                failure = again;
                shorter = true;
            } else {
                ++i;
            }
        }
    }
    // Replayed, with where each box had its caret (and anchor) after each step.
    QString report = u"text %1\n"_qs.arg(escaped(text));
    boxes.reset(text);
    for (size_t i = 0; i < steps.size(); ++i) {
        const bool made = boxes.apply(steps[i]);
        const State mine = boxes.oursNow();
        const State theirs = boxes.theirsNow();
        report += u"  %1. %2%3: %4 %5 top %6, QPlainTextEdit %7 %8 top %9\n"_qs.arg(i + 1)
                      .arg(describe(steps[i]) + boxes.hits, made ? QString() : u" (not made)"_qs)
                      .arg(mine.cursor)
                      .arg(mine.anchor)
                      .arg(mine.top)
                      .arg(theirs.cursor)
                      .arg(theirs.anchor)
                      .arg(theirs.top);
    }
    return report + u"then: "_qs + failure.why;
}

quint32 seedForRun() {
    bool given = false;
    const quint32 seed = qEnvironmentVariable("NOTAVO_DIFF_SEED").toUInt(&given);
    return given ? seed : QRandomGenerator::global()->generate();
}

int stepsForRun() {
    bool given = false;
    const int steps = qEnvironmentVariableIntValue("NOTAVO_DIFF_STEPS", &given);
    return given ? steps : 5000;
}

} // namespace

class tst_TextViewDifferential : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameAsQPlainTextEdit();
    void savedTextIsWhatTheBoxShows();
};

void tst_TextViewDifferential::initTestCase() {
    // Short, so that a step after a double click need not wait long for a third click to lapse.
    QApplication::setDoubleClickInterval(2);
}

void tst_TextViewDifferential::sameAsQPlainTextEdit() {
    const quint32 seed = seedForRun();
    const int total = stepsForRun();
    qInfo("seed %u (NOTAVO_DIFF_SEED=%u repeats this run), %d steps", seed, seed, total);
    Boxes boxes;
    QVERIFY(QTest::qWaitForWindowExposed(&boxes.ours));
    QVERIFY(boxes.sameGeometry());
    Generator generate(seed, false);
    constexpr int stepsPerText = 120;
    for (int done = 0; done < total; done += stepsPerText) {
        const QString text = generate.text();
        const std::vector<Step> steps = generate.steps(stepsPerText);
        const Failure failure = run(boxes, text, steps);
        if (failure.step >= 0)
            QFAIL(qPrintable(u"seed %1: the box and QPlainTextEdit differ after\n"_qs.arg(seed) +
                             shortest(boxes, text, steps, failure)));
    }
}

// Whatever the editing does, the document saved is valid in its encoding and reads back as
// exactly the text the box shows: never a "?" for a character it holds.
void tst_TextViewDifferential::savedTextIsWhatTheBoxShows() {
    const quint32 seed = seedForRun();
    qInfo("seed %u", seed);
    Boxes boxes;
    DocumentLayout windows1252 = newDocumentLayout();
    windows1252.encoding = TextEncoding::Windows1252;
    for (int round = 0; round < 20; ++round) {
        const bool latin = round % 2 == 1;
        Generator generate(seed + quint32(round), latin);
        boxes.reset(generate.text());
        for (const Step& step : generate.steps(100)) {
            boxes.apply(step);
            const QString shown = boxes.ours.toPlainText();
            QVERIFY2(shown.isValidUtf16(), qPrintable(escaped(shown)));
            const TextParts parts = boxes.ours.buffer().parts();
            const QByteArray utf8 = encodeDocument(parts, newDocumentLayout());
            QCOMPARE(decodeDocument(utf8).text, shown);
            const QByteArray bytes = encodeDocument(parts, windows1252);
            const bool fits = std::all_of(shown.cbegin(), shown.cend(), [](QChar c) {
                return windows1252Byte(c.unicode()) >= 0;
            });
            if (!fits) {
                QCOMPARE(decodeDocument(bytes).text, shown);
                continue;
            }
            QString read = decodeWindows1252(bytes);
            read.replace(u"\r\n"_qs, u"\n"_qs);
            read.chop(1);
            QCOMPARE(read, shown);
        }
    }
}

QTEST_MAIN(tst_TextViewDifferential)
#include "tst_TextViewDifferential.moc"
