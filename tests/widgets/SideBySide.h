#pragma once

// The editing box beside a QPlainTextEdit, both driven by the same random keys and clicks on the
// same random texts, for the tests that compare what the two do and what a screen reader hears.
// NOTAVO_DIFF_SEED=n replays a run; NOTAVO_DIFF_STEPS=n sets how many steps it makes.
#include "editor/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>
#include <array>
#include <numeric>
#include <optional>

// Where the box deliberately differs from QPlainTextEdit, all in one place. The generator never
// makes these:
// - A line separator (U+2028) shows as a mark in the box, where QPlainTextEdit starts another
//   screen line: the box keeps one screen line to a line of the document, so that a line of a
//   100 MB document is found without laying anything out. Texts hold none, and Shift+Return
//   (U+2028 in QPlainTextEdit, a line break in the box) is never pressed.
// - Keys (and drops) end what a double or triple click began: a Shift+click after them extends
//   from the caret, where QPlainTextEdit still extends by the words or lines of that old click.
//   Such a Shift+click is never made.
// - QPlainTextEdit makes a line as high as the tallest font drawing it (a joiner in an emoji
//   sequence takes a taller one), the box every line as high as its own font: the lines of a
//   100 MB document are found without laying them out. Once a text has had a taller line, the
//   two scroll differently: the top line is no longer compared, and neither Page Up/Down nor the
//   mouse (which clicks where a character is on the screen) is used on it.
// - A right-to-left line wider than the box: QPlainTextEdit lays it out from the right edge of
//   the box, so that its start lies to the left of the box, out of reach of the scroll bar; the
//   box starts it at the left edge like every line. A text's run ends when such a line appears.
// - Undoing a paste (or a drop) made at the very start of the text, with nothing selected,
//   leaves the caret where the paste was; QPlainTextEdit moves it to the start of the next line
//   (the paste set the first line's character format, and undoing that counts as an edit of the
//   whole line). Such a paste or drop is never made.
// - Return on an empty line: QPlainTextEdit first resets the line's format, an undo step of its
//   own that Ctrl+Z then takes back with nothing to see. The box makes no such step; there the
//   test gives QPlainTextEdit its line break through QTextCursor::insertBlock, which skips it.

// Printable ASCII as it is, every other UTF-16 unit escaped, for failure reports.
inline QString escaped(const QString& text) {
    QString out;
    for (const QChar c : text)
        out += c.unicode() >= 0x20 && c.unicode() < 0x7F
                   ? QString(c)
                   : u"\\u%1"_qs.arg(uint(c.unicode()), 4, 16, QChar(u'0'));
    return u'"' + out + u'"';
}

// A left-button event as the platform sends it.
inline void mouse(QWidget* viewport, QEvent::Type type, QPoint point,
                  Qt::KeyboardModifiers modifiers = {}) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, point, viewport->mapToGlobal(point),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(viewport, &event);
}

// A point on the left half of the character at position.
inline QPoint pointAt(const TextView& view, qsizetype position) {
    const QRect r = view.characterRect(position);
    return QPoint(r.left() + 1, r.center().y());
}

// The platform's first binding for a standard key.
inline QKeyCombination binding(QKeySequence::StandardKey key) {
    return QKeySequence::keyBindings(key).value(0)[0];
}

inline quint32 seedForRun() {
    bool given = false;
    const quint32 seed = qEnvironmentVariable("NOTAVO_DIFF_SEED").toUInt(&given);
    return given ? seed : QRandomGenerator::global()->generate();
}

inline int stepsForRun(int otherwise) {
    bool given = false;
    const int steps = qEnvironmentVariableIntValue("NOTAVO_DIFF_STEPS", &given);
    return given ? steps : otherwise;
}

// A key, or a click on a character, past the end of its line, under the last line or in the
// margin above the first; DropText is text dragged from another program and dropped.
enum class Action {
    Key,
    Click,
    ShiftClick,
    DoubleClick,
    TripleClick,
    Drag,
    ClickPastLineEnd,
    ClickBelowText,
    ClickAboveText,
    DropText
};

struct Step {
    Action action = Action::Key;
    QKeyCombination key = {};
    QString text = {}; // what the key types
    quint32 where = 0; // picks a position: where % (length + 1)
    quint32 to = 0;    // the same, for the end of a drag
};

inline QString describe(const Step& step) {
    static const QStringList actions =
        u"|click at|Shift+click at|double-click at|third click|drag from|click past the line end "
        "of|click below the text, from|click above the text, over|drop text from another program,"_qs
            .split(u'|');
    if (step.action == Action::Key)
        return step.key.key() == Qt::Key_unknown ? u"type "_qs + escaped(step.text)
                                                 : QKeySequence(step.key).toString();
    return (step.key.keyboardModifiers() ? u"Ctrl+"_qs : QString()) +
           u"%1 %2"_qs.arg(actions[int(step.action)]).arg(step.where) +
           (step.action == Action::Drag || step.action == Action::DropText
                ? u" to %1"_qs.arg(step.to)
                : QString());
}

// A kind of step: how often it comes (against the other kinds), its variants (one taken at
// random) and for keys the modifiers (one taken at random).
struct StepKind {
    quint32 share;
    QList<Step> variants;
    QList<Qt::KeyboardModifiers> modifiers = {};
};

inline QList<Step> keys(std::initializer_list<QKeyCombination> keys) {
    QList<Step> out;
    for (const QKeyCombination key : keys)
        out.append({Action::Key, key});
    return out;
}

inline QList<Step> typing(const QString& spaced, QChar separator = u'|') {
    QList<Step> out;
    for (const QString& typed : spaced.split(separator))
        out.append({Action::Key, Qt::Key_unknown, typed});
    return out;
}

// Everything a user does to the text; latinOnly types only what Windows-1252 holds, drops adds
// text dropped from another program.
inline QList<StepKind> editingSteps(bool latinOnly = false, bool drops = false) {
    const QString latin = u"a|b|Z| |1|.|-|'|\u00e9"_qs;
    const QString other = u"\u0301|\U0001F600|\u4f60|\u05e9|\u0645|\U00020000|\U0001F1E9|\u200C"_qs;
    const QList<Qt::KeyboardModifiers> any = {Qt::NoModifier, Qt::ShiftModifier,
                                              Qt::ControlModifier,
                                              Qt::ControlModifier | Qt::ShiftModifier};
    QList<StepKind> kinds = {
        {15, typing(latin)},
        {7, typing(latinOnly ? latin : other)},
        {3, {{Action::Key, Qt::Key_Return, u"\r"_qs}}},
        {1, {{Action::Key, Qt::Key_Tab, u"\t"_qs}}},
        {24, keys({Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}), any},
        {6, keys({Qt::Key_Home, Qt::Key_End}), any},
        {4, keys({Qt::Key_PageUp, Qt::Key_PageDown}), {Qt::NoModifier, Qt::ShiftModifier}},
        {8, keys({Qt::Key_Backspace})},
        {6, keys({Qt::Key_Delete})},
        {2, keys({Qt::Key_Backspace, Qt::Key_Delete}), {Qt::ControlModifier}},
        {4, keys({binding(QKeySequence::Undo)})},
        {2, keys({binding(QKeySequence::Redo)})},
        {2, keys({binding(QKeySequence::Cut), binding(QKeySequence::Copy),
                  binding(QKeySequence::Paste), binding(QKeySequence::Paste),
                  binding(QKeySequence::SelectAll)})},
        {5, QList<Step>(7, {Action::Click})
                << Step{Action::ClickPastLineEnd} << Step{Action::ClickBelowText}
                << Step{Action::ClickAboveText}},
        {3, {{Action::ShiftClick}}},
        {4, {{Action::DoubleClick}}},
        {4, {{Action::Drag}}}};
    if (drops)
        kinds.append({4, {{Action::DropText}}, {Qt::NoModifier, Qt::ControlModifier}});
    return kinds;
}

// Random texts and steps. latinOnly keeps the texts to characters Windows-1252 holds.
class Generator {
public:
    explicit Generator(quint32 seed, bool latinOnly = false) : random(seed), latinOnly(latinOnly) {}

    quint32 below(qsizetype n) { return random.bounded(quint32(std::max<qsizetype>(n, 1))); }
    template <typename List> const auto& pick(const List& list) { return list[below(list.size())]; }

    // At most lines lines of a few words, each line of one kind: Latin, Latin mixed with other
    // scripts (combining marks, emoji and flags, CJK), mixed direction, or right to left. With
    // longLine, one text in four also holds a line longer than a layout segment (2,048 units),
    // which moves must cross as if it were one piece.
    QString text(int lines = 13, bool longLine = false) {
        QStringList out;
        for (int i = 1 + int(below(lines)); i > 0; --i) {
            const quint32 kind = latinOnly ? 0 : below(4);
            QString line;
            for (int token = 0, count = int(below(9)); token < count; ++token)
                line += (token ? pick(gaps) : QString()) + word(kind);
            out << line;
        }
        if (longLine && below(4) == 0) {
            const quint32 kind = latinOnly ? 0 : below(4);
            QString line;
            while (line.size() < 5000)
                line += pick(gaps) + word(kind);
            out.insert(int(below(out.size() + 1)), line);
        }
        return out.join(u'\n');
    }
    QString word(quint32 kind) {
        if (kind == 3 || (kind == 2 && below(2) == 0))
            return pick(rightToLeft);
        return kind == 1 && below(2) == 0 ? pick(other) : pick(latin);
    }

    // Steps of the kinds given; a third of the double clicks get a third click.
    std::vector<Step> steps(int count, const QList<StepKind>& kinds) {
        std::vector<Step> out;
        while (int(out.size()) < count) {
            out.push_back(step(kinds));
            if (out.back().action == Action::DoubleClick && below(3) == 0)
                out.push_back({Action::TripleClick});
        }
        return out;
    }
    Step step(const QList<StepKind>& kinds) {
        quint32 roll =
            below(std::accumulate(kinds.begin(), kinds.end(), quint32(0),
                                  [](quint32 n, const StepKind& kind) { return n + kind.share; }));
        for (const StepKind& kind : kinds) {
            if (roll >= kind.share) {
                roll -= kind.share;
                continue;
            }
            Step step = pick(kind.variants);
            if (!kind.modifiers.isEmpty())
                step.key = QKeyCombination(pick(kind.modifiers), step.key.key());
            step.where = random.generate();
            step.to = random.generate();
            return step;
        }
        return {};
    }

private:
    inline static const QStringList latin =
        u"alpha beta x don't e-mail a.b (paren) 123 3.14 foo_bar caf\u00e9 na\u00efve \u20ac5 "
        "Stra\u00dfe"_qs.split(u' ');
    inline static const QStringList other =
        u"nai\u0308ve e\u0301 a\u0308\u0301 \U0001F600 \u2764\uFE0F \U0001F44D\U0001F3FD "
        "\U0001F468\u200D\U0001F469\u200D\U0001F467 \U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7 "
        "\u4f60\u597d \u4e16\u754c \U00020000\U00020001 \u03a9\u03bc\u03ad\u03b3\u03b1 "
        "\u041f\u0440\u0438\u0432\u0435\u0442"_qs.split(u' ');
    inline static const QStringList rightToLeft =
        u"\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd \u0645\u0631\u062d\u0628\u0627 "
        "\u0628\u0627\u0644\u0639\u0627\u0644\u0645 \u0661\u0662\u0663 42"_qs.split(u' ');
    inline static const QStringList gaps = u" | |  |\t|, |. | - |! "_qs.split(u'|');

    QRandomGenerator random;
    bool latinOnly;
};

// What a box holds and shows: text, caret, anchor, top line, and what it left on the clipboard.
struct State {
    QString text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    qsizetype top = 0;
    QString clipboard;
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
            // Apart, so that a drag over one never lands in the other.
            box->move(0, box == &ours ? 0 : 320);
            box->show();
        }
        theirs.setLineWrapMode(QPlainTextEdit::NoWrap);
    }

    bool shown() {
        return QTest::qWaitForWindowExposed(&ours) && QTest::qWaitForWindowExposed(&theirs) &&
               ours.viewport()->size() == theirs.viewport()->size();
    }

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
                ours.firstVisibleLine(), clipboards[0]};
    }
    State theirsNow() const {
        QString text = theirs.document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u'\n');
        const QTextCursor cursor = theirs.textCursor();
        return {text, cursor.position(), cursor.anchor(), theirs.verticalScrollBar()->value(),
                clipboards[1]};
    }

    // A right-to-left line wider than the box, where the two lay lines out differently.
    bool wideRightToLeftLine() const {
        const qreal width = theirs.viewport()->width() - 2 * theirs.document()->documentMargin();
        for (QTextBlock b = theirs.document()->firstBlock(); b.isValid(); b = b.next())
            if (b.textDirection() == Qt::RightToLeft && b.layout()->lineCount() > 0 &&
                b.layout()->lineAt(0).naturalTextWidth() > width)
                return true;
        return false;
    }

    // Every line of QPlainTextEdit as high as the box's lines so far, so that both scroll alike.
    bool evenLines() {
        for (QTextBlock b = theirs.document()->firstBlock(); evenSoFar && b.isValid(); b = b.next())
            evenSoFar = b.layout()->lineCount() == 0 ||
                        int(b.layout()->lineAt(0).height()) == ours.lineHeight();
        return evenSoFar;
    }

    // Applies the step to both; false when it cannot be made here (a point out of view).
    bool apply(const Step& step) {
        hits.clear();
        const std::optional<Points> doubleClick = std::exchange(lastDoubleClick, std::nullopt);
        if (doubleClick && step.action != Action::TripleClick)
            letTripleClickLapse();
        const Qt::Key key = step.key.key();
        const bool byScreen =
            step.action != Action::Key || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
        if (byScreen && !evenLines())
            return false;
        const quint32 positions = quint32(ours.buffer().size() + 1);
        const qsizetype where = qsizetype(step.where % positions);
        switch (step.action) {
        case Action::Key:
            return press(step);
        case Action::Click:
        case Action::ShiftClick:
        case Action::ClickPastLineEnd:
        case Action::ClickBelowText:
        case Action::ClickAboveText: {
            const bool shift = step.action == Action::ShiftClick;
            if (shift && clickMode == ClickMode::Stale)
                return false;
            const auto points = pointsFor(where, step.action);
            if (!points)
                return false;
            if (!shift)
                noteClickAt(ours.positionAt(points->at(0)));
            both(*points, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease},
                 shift ? Qt::ShiftModifier : Qt::NoModifier);
            return true;
        }
        case Action::DoubleClick: {
            const auto points = pointsFor(where);
            if (!points)
                return false;
            noteClickAt(ours.positionAt(points->at(0)));
            both(*points,
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease});
            lastDoubleClick = points;
            clickMode = ClickMode::Fresh;
            return true;
        }
        case Action::TripleClick:
            if (doubleClick)
                both(*doubleClick, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
            return doubleClick.has_value();
        case Action::DropText:
            return dropText(step);
        case Action::Drag: {
            const auto from = pointsFor(where);
            const auto until = pointsFor(qsizetype(step.to % positions));
            if (!from || !until)
                return false;
            const qsizetype pressed = ours.positionAt(from->at(0));
            if (ours.hasSelection() && pressed >= ours.selectionStart() &&
                pressed <= ours.selectionEnd())
                return false;
            noteClickAt(pressed);
            for (int i : {0, 1}) {
                mouse(viewport(i), QEvent::MouseButtonPress, from->at(i));
                mouse(viewport(i), QEvent::MouseMove, (from->at(i) + until->at(i)) / 2);
                mouse(viewport(i), QEvent::MouseMove, until->at(i));
                mouse(viewport(i), QEvent::MouseButtonRelease, until->at(i));
            }
            return true;
        }
        }
        return false;
    }

    TextView ours;
    QPlainTextEdit theirs;
    QWidget* viewport(int i) const { return i == 0 ? ours.viewport() : theirs.viewport(); }
    mutable QString hits; // where the last step's clicks landed, for the report

private:
    using Points = std::array<QPoint, 2>; // in our viewport, in theirs

    // After a double click a third one selects the line, until a timer runs out.
    static void letTripleClickLapse() {
        QTest::qSleep(QApplication::doubleClickInterval() + 1);
        QCoreApplication::processEvents();
    }

    bool press(const Step& step) {
        QKeyEvent probe(QEvent::KeyPress, step.key.key(), step.key.keyboardModifiers());
        if (probe.matches(QKeySequence::Paste) && ours.cursorPosition() == 0 &&
            !ours.hasSelection())
            return false;
        if (clickMode != ClickMode::None)
            clickMode = ClickMode::Stale;
        for (int i : {0, 1}) {
            QWidget* box = i == 0 ? static_cast<QWidget*>(&ours) : &theirs;
            QKeyEvent event(QEvent::KeyPress, step.key.key(), step.key.keyboardModifiers(),
                            step.text);
            if (box == &theirs && event.matches(QKeySequence::InsertParagraphSeparator) &&
                theirs.textCursor().block().text().isEmpty()) {
                QTextCursor cursor = theirs.textCursor();
                cursor.insertBlock();
                theirs.setTextCursor(cursor);
            } else {
                QApplication::sendEvent(box, &event);
            }
            clipboards[i] = QApplication::clipboard()->text();
        }
        return true;
    }

    // Text dragged from another program over the box and dropped there: moved or, with Ctrl,
    // copied, which makes no difference to the box. (Dragging a box's own selection needs the
    // platform's drag loop, which the offscreen platform does not run.)
    bool dropText(const Step& step) {
        static const QStringList dropped = {u"dropped"_qs, u"two words"_qs, u"one\ntwo"_qs,
                                            u"\u05e9\u05dc\u05d5\u05dd"_qs};
        const qsizetype where = qsizetype(step.to % quint32(ours.buffer().size() + 1));
        const auto at = where > 0 ? pointsFor(where) : std::nullopt;
        if (!at || ours.positionAt(at->at(0)) == 0) // as a paste there: see above
            return false;
        if (clickMode != ClickMode::None)
            clickMode = ClickMode::Stale;
        QMimeData data;
        data.setText(dropped[int(step.where % quint32(dropped.size()))]);
        const Qt::KeyboardModifiers held = step.key.keyboardModifiers();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        for (int i : {0, 1}) {
            QDragEnterEvent enter(at->at(i), actions, &data, Qt::LeftButton, held);
            QApplication::sendEvent(viewport(i), &enter);
            QDragMoveEvent move(at->at(i), actions, &data, Qt::LeftButton, held);
            QApplication::sendEvent(viewport(i), &move);
            QDropEvent drop(at->at(i), actions, &data, Qt::NoButton, held);
            QApplication::sendEvent(viewport(i), &drop);
        }
        return true;
    }

    // The same mouse events on both boxes, each at its own point.
    void both(const Points& points, std::initializer_list<QEvent::Type> types,
              Qt::KeyboardModifiers modifiers = {}) {
        for (int i : {0, 1})
            for (const QEvent::Type type : types)
                mouse(viewport(i), type, points[i], modifiers);
    }

    // A plain press outside the selection ends the word or line mode of a double click.
    void noteClickAt(qsizetype position) {
        if (!(ours.hasSelection() && position >= ours.selectionStart() &&
              position <= ours.selectionEnd()))
            clickMode = ClickMode::None;
    }

    // The point to click in each box for a position, inside both views, or nothing.
    std::optional<Points> pointsFor(qsizetype position, Action spot = Action::Click) const {
        if (spot == Action::ClickPastLineEnd)
            position = ours.buffer().lineEnd(ours.buffer().lineOf(position));
        QTextCursor cursor(theirs.document());
        cursor.setPosition(int(position));
        const QRect r = theirs.cursorRect(cursor);
        Points p = {pointAt(ours, position), QPoint(r.left() + 1, r.center().y())};
        if (spot == Action::ClickPastLineEnd) { // as far past the end, however it is scrolled
            p[0].rx() += 30;
            p[1].rx() += 30;
        } else if (spot == Action::ClickBelowText) {
            cursor.setPosition(int(ours.buffer().size()));
            p[0].ry() = ours.characterRect(ours.buffer().size()).bottom() + 3;
            p[1].ry() = theirs.cursorRect(cursor).bottom() + 3;
        } else if (spot == Action::ClickAboveText) {
            if (ours.firstVisibleLine() != 0 || theirs.verticalScrollBar()->value() != 0)
                return std::nullopt;
            p[0].ry() = p[1].ry() = 1;
        }
        // Clear of the sides, so that a click never scrolls sideways (where the two differ).
        if (!ours.viewport()->rect().adjusted(10, 0, -10, -1).contains(p[0]) ||
            !theirs.viewport()->rect().adjusted(10, 0, -10, -1).contains(p[1]))
            return std::nullopt;
        hits += u" (hits %1, QPlainTextEdit %2)"_qs.arg(ours.positionAt(p[0]))
                    .arg(theirs.cursorForPosition(p[1]).position());
        return p;
    }

    bool evenSoFar = true;
    enum class ClickMode { None, Fresh, Stale };
    ClickMode clickMode = ClickMode::None;
    std::optional<Points> lastDoubleClick;
    std::array<QString, 2> clipboards; // what each box left there in the last step
};
