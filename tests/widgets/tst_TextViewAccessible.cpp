// What a screen reader gets from the editing box, side by side with a QPlainTextEdit driven the
// same way: the text, caret and selection, the characters, words, sentences and lines around
// the offsets, and the events it hears, after random keys, clicks and reader's edits.
#include "editor/TextViewAccessible.h"
#include "widgets/SideBySide.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QTextBoundaryFinder>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <map>

namespace {

// Where QPlainTextEdit itself is wrong, we differ on purpose; the checks below follow this list.
// 1. Offsets outside the text (AT-SPI's -1 for "to the end", say): QPlainTextEdit takes its own
//    caret or anchor in their place, and edits or selects there. We ignore the call.
// 2. Offsets between the halves of a surrogate pair: QPlainTextEdit puts the caret or the edge
//    of an edit there, leaving half a character. We take the whole pair.
// 3. A removal reaches the reader as so many spaces: only lengths are compared. And its text
//    events do not always add up to the change (setPlainText removes one character more than
//    the box held), or tell it the long way round (a typed line break as a character removed
//    and two breaks inserted). There only ours are checked: they must add up.
// 4. Inserted text reaches the reader with U+2029 for its line breaks. Ours has '\n', as the
//    box's own text does.
// 5. textBeforeOffset and textAfterOffset answer the unit at the offset again, or an empty one,
//    wherever the unit before or after ends at a space or a line end (and before the first
//    unit, or after the last), so a reader walking the text stalls. We skip to the nearest unit
//    holding text, or with none an empty range at the start or the end of the text; where
//    QPlainTextEdit's answer does move on, ours is the same.
// 6. At an offset inside a grapheme cluster QPlainTextEdit answers part of the cluster as a
//    character, half an emoji even. We answer the whole cluster.
// 7. Its line ends before the line break; AT-SPI's line (ours) runs to the start of the next.
// 8. offsetAtPoint answers -1 everywhere (its layout has no hit test); ours is checked alone.
// 9. A disabled QPlainTextEdit still says it is editable, and a reader's edits reach it even
//    when read-only or disabled. Ours says neither and refuses them.
// 10. It tells of a caret or a selection that has not moved (after every click and Shift+move,
//    a reader's edit around them, Ctrl+Delete), and keeps quiet about the caret Ctrl+Backspace
//    moves and the selection Undo and Redo drop; an Undo can tell of the caret where the step
//    passed rather than where it ends. Ours tells of what moved, where it ends.
// Where the keys or a click themselves take the two boxes to different places, that is for the
// editing test to judge: the boxes are made equal again and only our own events are checked.

// What a screen reader hears from one box in one step, as Qt's AT-SPI bridge passes it on.
struct Heard {
    QStringList changes; // "delete at length", "insert at text"
    int caret = -1;      // where the last caret event put the caret
    bool selection = false;
    bool operator==(const Heard&) const = default;
};

std::map<const QObject*, Heard> heard;

void listen(QAccessibleEvent* event) {
    const auto found = heard.find(event->object());
    if (found == heard.end())
        return;
    Heard& h = found->second;
    const auto change = [&](int at, const QString& removed, QString inserted) {
        if (!removed.isEmpty())
            h.changes << u"delete %1 %2"_qs.arg(at).arg(removed.size());
        if (!inserted.isEmpty()) // 4
            h.changes << u"insert %1 "_qs.arg(at) +
                             inserted.replace(QChar::ParagraphSeparator, u'\n');
    };
    if (event->type() == QAccessible::TextInserted) {
        const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        change(e->changePosition(), {}, e->textInserted());
    } else if (event->type() == QAccessible::TextRemoved) {
        const auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        change(e->changePosition(), e->textRemoved(), {});
    } else if (event->type() == QAccessible::TextUpdated) {
        const auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
        change(e->changePosition(), e->textRemoved(), e->textInserted());
    } else if (event->type() == QAccessible::TextCaretMoved) {
        h.caret = event->accessibleInterface()->textInterface()->cursorPosition();
    } else if (event->type() == QAccessible::TextSelectionChanged) {
        h.selection = true;
    }
}

// The text as a reader who heard the changes believes it to be; nothing for changes that reach
// outside it.
std::optional<QString> told(QString text, const QStringList& changes) {
    for (const QString& change : changes) {
        const int at = change.section(u' ', 1, 1).toInt();
        const QString what = change.section(u' ', 2);
        const bool removal = change.startsWith(u"delete"_qs);
        if (at > text.size() || (removal && at + what.toInt() > text.size()))
            return std::nullopt;
        if (removal)
            text.remove(at, what.toInt());
        else
            text.insert(at, what);
    }
    return text;
}

QString shown(const Heard& h) {
    return escaped(h.changes.join(u", "_qs)) +
           u" caret %1 selection %2"_qs.arg(h.caret).arg(h.selection);
}

QAccessibleTextInterface* textOf(QWidget* box) {
    return QAccessible::queryAccessibleInterface(box)->textInterface();
}

QAccessibleEditableTextInterface* editOf(QWidget* box) {
    return QAccessible::queryAccessibleInterface(box)->editableTextInterface();
}

// The text, anchor and caret as a reader finds them.
struct Reading {
    QString text;
    int anchor = 0;
    int cursor = 0;
    bool operator==(const Reading&) const = default;
    bool selectionDiffersFrom(const Reading& o) const {
        const bool has = anchor != cursor;
        return (o.anchor != o.cursor) != has || (has && (anchor != o.anchor || cursor != o.cursor));
    }
    QString shown() const { return u"%1 %2-%3"_qs.arg(escaped(text)).arg(anchor).arg(cursor); }
};

Reading readingOf(QWidget* box) {
    QAccessibleTextInterface* t = textOf(box);
    Reading r{t->text(0, t->characterCount()), t->cursorPosition(), t->cursorPosition()};
    int start = 0;
    int end = 0;
    t->selection(0, &start, &end);
    if (t->selectionCount() > 0)
        r.anchor = start == r.cursor ? end : start;
    return r;
}

// A user's step (keys, clicks) or a reader's call, made on both boxes.
struct Call {
    enum Origin { User, Reader, Reset };
    QString name;
    Origin origin;
    QList<int> offsets; // a reader's
    std::function<void(QWidget*)> onEach = {};
    Step user = {};
};

// A reader's call, or now and then a user's step of any kind the editing test makes.
Call randomCall(Generator& g, int size) {
    const auto offset = [&] { // mostly in the text, now and then just outside it
        return g.below(100) < 8 ? (g.below(2) ? -1 : size + 1) : int(g.below(size + 1));
    };
    const int a = offset();
    const int b = offset();
    const QString t = g.word(g.below(4));
    const auto reader = [](const QString& name, QList<int> offsets,
                           std::function<void(QWidget*)> onEach) {
        return Call{name, Call::Reader, std::move(offsets), std::move(onEach)};
    };
    const QString inserted = t + (g.below(3) == 0 ? u"\r\n"_qs : u"\r"_qs);
    const QString replacement = t + QChar::ParagraphSeparator;
    switch (g.below(12)) {
    case 0:
        return reader(u"setCursorPosition %1"_qs.arg(a), {a},
                      [=](QWidget* box) { textOf(box)->setCursorPosition(a); });
    case 1:
        return reader(u"setSelection %1 %2"_qs.arg(a).arg(b), {a, b},
                      [=](QWidget* box) { textOf(box)->setSelection(0, a, b); });
    case 2:
        return reader(u"removeSelection"_qs, {},
                      [](QWidget* box) { textOf(box)->removeSelection(0); });
    case 3:
        return reader(u"insertText %1 "_qs.arg(a) + escaped(inserted), {a},
                      [=](QWidget* box) { editOf(box)->insertText(a, inserted); });
    case 4:
        return reader(u"deleteText %1 %2"_qs.arg(a).arg(b), {a, b},
                      [=](QWidget* box) { editOf(box)->deleteText(a, b); });
    case 5:
        return reader(u"replaceText %1 %2 "_qs.arg(a).arg(b) + escaped(replacement), {a, b},
                      [=](QWidget* box) { editOf(box)->replaceText(a, b, replacement); });
    case 6: {
        const QString opened = g.below(5) == 0 ? QString() : g.text(3);
        return {u"setPlainText "_qs + escaped(opened), Call::Reset, {}, [=](QWidget* box) {
                    if (auto* view = qobject_cast<TextView*>(box))
                        view->setPlainText(opened);
                    else
                        static_cast<QPlainTextEdit*>(box)->setPlainText(opened);
                }};
    }
    default: {
        const Step step = g.step(editingSteps());
        return {describe(step), Call::User, {}, {}, step};
    }
    }
}

using Unit = std::pair<int, int>;

// The unit before (step -1), at (0) or after (1) the offset.
Unit ask(QAccessibleTextInterface* text, int step, int offset, QAccessible::TextBoundaryType type) {
    static constexpr std::array asks = {&QAccessibleTextInterface::textBeforeOffset,
                                        &QAccessibleTextInterface::textAtOffset,
                                        &QAccessibleTextInterface::textAfterOffset};
    Unit u;
    (text->*asks[size_t(step + 1)])(offset, type, &u.first, &u.second);
    return u;
}

class Comparison {
public:
    explicit Comparison(Boxes& boxes) : boxes(boxes) {}

    // Random steps from random texts: what went wrong first, with the steps from its text.
    QString run(quint32 seed, int steps) {
        Generator g(seed);
        QStringList log;
        for (int done = 0; done < steps; ++done) {
            if (done % 40 == 0) {
                const QString text = g.text(3);
                log = QStringList{u"setPlainText "_qs + escaped(text)};
                align({text});
            }
            const Call call = randomCall(g, int(readingOf(ours()).text.size()));
            if (call.origin == Call::Reset)
                log.clear();
            log << call.name;
            QString wrong = check(call);
            // Every offset now and then, a few at random otherwise.
            const int size = int(readingOf(ours()).text.size());
            for (int i = 0; wrong.isEmpty() && i < (done % 10 == 0 ? size + 1 : 3); ++i)
                wrong = compareQueries(done % 10 == 0 ? i : int(g.below(size + 1)));
            if (!wrong.isEmpty())
                return wrong + u"\nsteps: "_qs + log.join(u"; "_qs);
        }
        return {};
    }

private:
    QWidget* ours() const { return &boxes.ours; }
    QWidget* theirs() const { return &boxes.theirs; }

    // Both boxes hold the reading, unheard.
    void align(const Reading& r) {
        boxes.reset(r.text);
        for (QWidget* box : {ours(), theirs()})
            textOf(box)->setSelection(0, r.anchor, r.cursor);
    }

    QString check(const Call& call) {
        const Reading before = readingOf(ours());
        heard = {{ours(), {}}, {theirs(), {}}};
        if (call.origin == Call::User) {
            boxes.apply(call.user);
        } else {
            call.onEach(ours());
            call.onEach(theirs());
        }
        const Reading now = readingOf(ours());
        const Reading qt = readingOf(theirs());
        const Heard ourHeard = heard[ours()];
        Heard qtHeard = heard[theirs()];
        heard.clear();
        // Whatever QPlainTextEdit does, a reader following our events knows the text and caret.
        if (told(before.text, ourHeard.changes) != now.text)
            return u"our events do not add up: "_qs + shown(ourHeard);
        if ((now.cursor != before.cursor || call.origin == Call::Reset) &&
            ourHeard.caret != now.cursor)
            return u"the caret moved to %1 unheard"_qs.arg(now.cursor);
        if (now.selectionDiffersFrom(before) && !ourHeard.selection)
            return u"the selection changed unheard"_qs;
        if (ourHeard.caret != -1 && ourHeard.caret != now.cursor)
            return u"told of the caret at %1, where it is not"_qs.arg(ourHeard.caret);
        if (!QStringView(now.text).isValidUtf16())
            return u"half a character left"_qs;

        const auto outside = [&](int at) { return at < 0 || at > before.text.size(); };
        if (std::any_of(call.offsets.begin(), call.offsets.end(), outside)) { // 1
            if (now != before || ourHeard != Heard{})
                return u"a reader's call outside the text changed something"_qs;
            align(now);
            return {};
        }
        const auto inPair = [&](int at) {
            return at > 0 && at < before.text.size() && before.text.at(at).isLowSurrogate() &&
                   before.text.at(at - 1).isHighSurrogate();
        };
        if (std::any_of(call.offsets.begin(), call.offsets.end(), inPair) ||
            (now != qt && call.origin == Call::User)) {
            align(now); // 2, or the keys' own difference
            return {};
        }
        if (now != qt)
            return u"ours %1, QPlainTextEdit %2"_qs.arg(now.shown(), qt.shown());
        if ((now.cursor == before.cursor ? ourHeard.caret == -1 : qtHeard.caret == -1) ||
            (qtHeard.caret != -1 && qtHeard.caret != now.cursor))
            qtHeard.caret = ourHeard.caret; // 10
        if (now.selectionDiffersFrom(before) == ourHeard.selection)
            qtHeard.selection = ourHeard.selection; // 10
        if (told(before.text, qtHeard.changes) != now.text ||
            qtHeard.changes.size() > ourHeard.changes.size())
            qtHeard.changes = ourHeard.changes; // 3
        if (ourHeard != qtHeard)
            return u"heard from ours: %1; from QPlainTextEdit: %2"_qs.arg(shown(ourHeard),
                                                                          shown(qtHeard));
        return {};
    }

    QString compareQueries(int offset) {
        const QString text = readingOf(ours()).text;
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
        const auto boundary = [&](int at) {
            graphemes.setPosition(at);
            return graphemes.isAtBoundary();
        };
        for (const auto type :
             {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
              QAccessible::LineBoundary, QAccessible::ParagraphBoundary}) {
            const auto askQt = [&](int step) {
                Unit u = ask(textOf(theirs()), step, offset, type);
                if (type >= QAccessible::ParagraphBoundary && u.second < text.size())
                    ++u.second; // 7
                return u;
            };
            const Unit qtAt = askQt(0);
            const Unit at = ask(textOf(ours()), 0, offset, type);
            for (const int step : {0, -1, 1}) {
                const Unit mine = ask(textOf(ours()), step, offset, type);
                const Unit qt = askQt(step);
                const bool qtStalls = step != 0 && (qt.first == qt.second || qt == qtAt); // 5
                const bool qtSplits =
                    type == QAccessible::CharBoundary && // 6
                    !(boundary(offset) && boundary(qt.first) && boundary(qt.second));
                // Where QPlainTextEdit's answer is no use, ours has to be a unit beside this
                // one, holding text (but the last line may be empty), or with none an empty
                // range at the start or the end: never -1.
                const int edge = step < 0 ? 0 : int(text.size());
                const bool beside =
                    mine == Unit{edge, edge} ||
                    ((mine.first < mine.second || mine.first == text.size()) &&
                     (step < 0 ? mine.second <= at.first : mine.first >= at.second));
                QString wrong;
                if (qtStalls || qtSplits ? step != 0 && !beside : mine != qt)
                    QDebug(&wrong) << type << "step" << step << "at" << offset << "ours" << mine
                                   << "QPlainTextEdit" << qt;
                if (!wrong.isEmpty())
                    return wrong;
            }
        }
        return {};
    }

    Boxes& boxes;
};

} // namespace

class tst_TextViewAccessible : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameAsQPlainTextEdit();
    void ownAnswers();
    void quickOnALargeText();

private:
    std::unique_ptr<Boxes> boxes;
};

void tst_TextViewAccessible::initTestCase() {
    // QPlainTextEdit's complaints about offsets outside its text (1 above) would drown the log.
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& m) {
        if (!m.startsWith(u"QTextCursor::setPosition"_qs))
            standard(type, context, m);
    });
    // As when a screen reader runs: the platform's accessibility is on, its events come here.
    QAccessible::installUpdateHandler(listen);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QVERIFY(QAccessible::isActive());
    QApplication::setDoubleClickInterval(2); // see tst_TextViewDifferential
    boxes = std::make_unique<Boxes>();
    QVERIFY(boxes->shown());
}

void tst_TextViewAccessible::sameAsQPlainTextEdit() {
    const quint32 seed = seedForRun();
    const QString wrong = Comparison(*boxes).run(seed, stepsForRun(1200));
    QVERIFY2(wrong.isEmpty(), qPrintable(u"seed %1: %2"_qs.arg(seed).arg(wrong)));
}

// What QPlainTextEdit cannot show: 8 and 9 above, and the limit on what one event carries.
void tst_TextViewAccessible::ownAnswers() {
    TextView* view = &boxes->ours;
    const QString letters = u"caf\u00e9 ok\n\u4f60\u597d"_qs;
    view->setPlainText(letters);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view);
    QAccessibleTextInterface* text = accessible->textInterface();
    // The right half of a letter is still that letter.
    for (int at = 0; at < letters.size(); ++at) {
        const QRect r = text->characterRect(at);
        if (letters.at(at).isLetter())
            QCOMPARE(text->offsetAtPoint(QPoint(r.right() - 1, r.center().y())), at);
    }
    QVERIFY(accessible->state().editable);
    view->setEnabled(false);
    QVERIFY(!accessible->state().editable);
    accessible->editableTextInterface()->deleteText(0, 2);
    QCOMPARE(view->toPlainText(), letters);
    view->setEnabled(true);

    // Beyond the limit the text goes untold: the reader hears the caret, and asks.
    heard = {{view, {}}};
    view->setPlainText(QString(largestAnnouncedText + 1, u'x'));
    view->setPlainText(QString());
    QVERIFY(heard[view].changes.isEmpty());
    QCOMPARE(heard[view].caret, 0);
    heard.clear();
}

// Nothing a reader asks walks the document: three hundred questions at the end of 4 MB.
void tst_TextViewAccessible::quickOnALargeText() {
    TextView* view = &boxes->ours;
    QString lines;
    for (int i = 0; i < 200000; ++i)
        lines += u"line %1 of the text\n"_qs.arg(i);
    view->setPlainText(lines);
    QAccessibleTextInterface* text = textOf(view);
    const int near = text->characterCount() - 30;
    int start = 0;
    int end = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100; ++i)
        for (const auto type :
             {QAccessible::LineBoundary, QAccessible::WordBoundary, QAccessible::CharBoundary})
            QVERIFY(!text->textAtOffset(near - i, type, &start, &end).isEmpty());
    QVERIFY2(timer.elapsed() < 100, qPrintable(u"%1 ms"_qs.arg(timer.elapsed())));
    QCOMPARE(text->textAtOffset(near, QAccessible::LineBoundary, &start, &end),
             u"line 199998 of the text\n"_qs);
    // Typing there, heard by the reader, stays as quick as at the start.
    view->setCursorPosition(text->characterCount());
    timer.restart();
    QTest::keyClicks(view, u"typed at the very end of it all"_qs);
    QVERIFY2(timer.elapsed() < 300, qPrintable(u"%1 ms"_qs.arg(timer.elapsed())));
    QCOMPARE(
        text->textAtOffset(text->characterCount() - 1, QAccessible::LineBoundary, &start, &end),
        u"typed at the very end of it all"_qs);
}

QTEST_MAIN(tst_TextViewAccessible)
#include "tst_TextViewAccessible.moc"
