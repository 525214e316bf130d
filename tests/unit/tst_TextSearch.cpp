#include "text/CandidateScan.h"
#include "text/TextBuffer.h"
#include "text/TextSearch.h"
#include "text/WordCharacter.h"

#include <QRandomGenerator>
#include <QTextBoundaryFinder>
#include <QtTest>

namespace {

using Direction = TextSearch::Direction;

// Pieces of text a search must get right: case pairs whose folding leaves Latin-1 or the BMP,
// combining marks, surrogate pairs with and without case, flags, joiners, NUL, CR LF and
// right-to-left letters.
const QStringList atoms =
    u"a A b B s S k K \u212A \u00DF \u1E9E \u00B5 \u03BC \u039C \u00FF \u0178 \u00E9 \u00C9 "
    "\u0301 \n \r 1 _ \u05D0 \u0628 \u200D \u00A9 \U0001F600 \U00010400 \U00010428 "
    "\U0001F1EB \U0001F3FD"_qs.split(u' ') +
    QStringList{u" "_qs, QString(QChar(u'\0'))};
// The atoms that fit in one byte, for the text as opened.
const QString latin1Atoms = u"aAbBsSkK\u00DF\u00B5\u00FF\u00E9\u00C9 \n\r1_\u00A9"_qs;

QString randomText(QRandomGenerator& random, int count) {
    QString out;
    for (int i = 0; i < count; ++i)
        out += atoms[random.bounded(int(atoms.size()))];
    return out;
}

// Finding with QString::indexOf, keeping only the matches that start and end on grapheme
// boundaries and, for whole words, have no word character beside them.
struct Reference {
    QString text;
    QString wanted;
    TextSearch::Options options;
    std::vector<bool> boundary;

    Reference(const QString& s, const QString& w, TextSearch::Options o)
        : text(s), wanted(w), options(o), boundary(size_t(s.size() + 1), false) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
            boundary[size_t(at)] = true;
    }
    bool accepted(qsizetype i) const {
        const qsizetype end = i + wanted.size();
        if (!boundary[size_t(i)] || !boundary[size_t(end)])
            return false;
        // The code points right before and after (a lone surrogate reads as U+FFFD).
        const auto before = QStringView(text)
                                .mid(std::max<qsizetype>(0, i - 2), std::min<qsizetype>(i, 2))
                                .toUcs4();
        const auto after = QStringView(text).mid(end, 2).toUcs4();
        return !options.wholeWord || ((before.isEmpty() || !isWordCharacter(before.last())) &&
                                      (after.isEmpty() || !isWordCharacter(after.first())));
    }
    Qt::CaseSensitivity cs() const {
        return options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    }
    qsizetype next(qsizetype from) const {
        qsizetype i = text.indexOf(wanted, from, cs());
        while (i >= 0 && !accepted(i))
            i = text.indexOf(wanted, i + 1, cs());
        return i;
    }
    // The last match starting before from.
    qsizetype previous(qsizetype from) const {
        qsizetype i = from > 0 ? text.lastIndexOf(wanted, from - 1, cs()) : -1;
        while (i >= 0 && !accepted(i))
            i = i > 0 ? text.lastIndexOf(wanted, i - 1, cs()) : -1;
        return i;
    }
    // What find answers: where, and whether only after going round.
    std::pair<qsizetype, bool> find(qsizetype from, Direction direction, bool wrap) const {
        const bool forward = direction == Direction::Forward;
        const qsizetype at = forward ? next(from) : previous(from);
        if (at >= 0 || !wrap)
            return {at, false};
        const qsizetype round = forward ? next(0) : previous(text.size() + 1);
        return {round, round >= 0};
    }
};

// A wanted text: a stretch of the text itself (cut anywhere, even inside a pair) with its case
// changed, or atoms at random.
QString randomWanted(QRandomGenerator& random, const QString& text) {
    QString wanted;
    if (random.bounded(3) > 0 && !text.isEmpty()) {
        const qsizetype at = random.bounded(int(text.size()));
        wanted = text.mid(at, 1 + random.bounded(6));
    } else {
        wanted = randomText(random, 1 + random.bounded(3));
    }
    const int change = random.bounded(3);
    return change == 0 ? wanted.toUpper() : change == 1 ? wanted.toLower() : wanted;
}

void compareSearches(const TextBuffer& buffer, QRandomGenerator& random) {
    const QString text = buffer.toString();
    for (int query = 0; query < 12; ++query) {
        const QString wanted = randomWanted(random, text);
        const TextSearch::Options options{random.bounded(2) == 1, random.bounded(3) == 0};
        const Reference reference(text, wanted, options);
        const TextSearch search(wanted, options);
        for (int i = 0; i < 12; ++i) {
            const qsizetype from = random.bounded(int(text.size() + 1));
            const bool wrap = random.bounded(2) == 1;
            const auto direction = i % 2 ? Direction::Forward : Direction::Backward;
            const auto found = search.find(buffer, from, direction, wrap);
            QCOMPARE(std::pair(found.position, found.wrapped),
                     reference.find(from, direction, wrap));
            if (QTest::currentTestFailed()) {
                qWarning() << "wanted" << wanted << "from" << from << "case" << options.matchCase
                           << "word" << options.wholeWord << "in" << text;
                return;
            }
        }
        QList<qsizetype> all, expectedAll;
        search.findAll(buffer, [&all](qsizetype at) { all.append(at); });
        for (qsizetype at = reference.next(0); at >= 0; at = reference.next(at + wanted.size()))
            expectedAll.append(at);
        QCOMPARE(all, expectedAll);
    }
}

} // namespace

class tst_TextSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every case runs on the widest vector scan the processor has and again on SSE2, the one
    // processors without AVX2 take.
    void initTestCase_data() {
        QTest::addColumn<bool>("sse2");
        QTest::newRow("widest") << false;
        QTest::newRow("sse2") << true;
    }
    void init() {
        QFETCH_GLOBAL(bool, sse2);
        forceSse2Scan(sse2);
    }
    void matchesAReferenceThroughRandomEdits();
    void foldingAndLargeText();
    void replaceAllMatchesTheReference();
};

void tst_TextSearch::matchesAReferenceThroughRandomEdits() {
    QRandomGenerator random(1406);
    for (int round = 0; round < 10; ++round) {
        // Opened text is kept one byte a character; what is typed into it is not, so the
        // pieces alternate between the two forms and matches run across them.
        QByteArray opened;
        for (int i = 0; i < 400 + round * 300; ++i)
            opened += char(latin1Atoms[random.bounded(int(latin1Atoms.size()))].unicode());
        TextBuffer buffer(opened);
        for (int step = 0; step < 60; ++step) {
            const qsizetype at = random.bounded(int(buffer.size() + 1));
            if (random.bounded(3) > 0 || buffer.size() < 10)
                buffer.insert(at, randomText(random, 1 + random.bounded(8)));
            else
                buffer.remove(at, random.bounded(10));
            if (step % 6 == 0)
                compareSearches(buffer, random);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

// What random texts seldom hold: long runs of flags, and text large enough for the vector scan.
void tst_TextSearch::foldingAndLargeText() {
    // Flags pair up from the start of their run, however long it is.
    const QString flag = QString::fromUcs4(U"\U0001F1EB");
    TextBuffer flags(u"x"_qs + flag.repeated(40));
    QList<qsizetype> pairs;
    TextSearch(flag + flag, {}).findAll(flags, [&pairs](qsizetype at) { pairs.append(at); });
    QCOMPARE(pairs.size(), 20);
    QCOMPARE(pairs.constLast(), 1 + 19 * 4);
    QVERIFY(!TextSearch(flag + flag, {}).matchesAt(flags, 1 + 17 * 2));

    // Large enough for the vector scan, with a word only at the end and one across an edit.
    QByteArray bytes(3 << 20, 'x');
    for (qsizetype i = 79; i < bytes.size(); i += 80)
        bytes[i] = '\n';
    TextBuffer large(bytes);
    large.insert(large.size(), u" Zebra"_qs);
    large.insert(1000, u"ze"_qs);
    large.insert(1002 + 80, u"bra"_qs);
    large.remove(1002, 80);
    const TextSearch loose(u"zebra"_qs, {});
    QCOMPARE(loose.find(large, 0, Direction::Forward, false).position, 1000);
    QCOMPARE(loose.find(large, large.size(), Direction::Backward, false).position,
             large.size() - 5);
    const TextSearch word(u"zebra"_qs, {false, true}); // "xzebrax" holds no word "zebra"
    QCOMPARE(word.find(large, 0, Direction::Forward, false).position, large.size() - 5);
    // The words of a double click: "_" joins, punctuation parts.
    QCOMPARE(TextSearch(u"foo"_qs, {false, true})
                 .find(TextBuffer(u"foo_bar foo.bar"_qs), 0, Direction::Forward, false)
                 .position,
             8);
    // The progress callback can stop a long search.
    const auto stopped =
        TextSearch(u"absent"_qs, {}).find(large, 0, Direction::Forward, true, [](qsizetype) {
            return false;
        });
    QVERIFY(stopped.stopped);
    QVERIFY(!stopped.found());
}

void tst_TextSearch::replaceAllMatchesTheReference() {
    QRandomGenerator random(1407);
    for (int round = 0; round < 150; ++round) {
        QByteArray opened;
        for (int i = 0; i < 60 + round * 4; ++i)
            opened += char(latin1Atoms[random.bounded(int(latin1Atoms.size()))].unicode());
        TextBuffer buffer(opened);
        for (int step = 0; step < 8; ++step)
            buffer.insert(random.bounded(int(buffer.size() + 1)), randomText(random, 3));
        const QString text = buffer.toString();
        const QString wanted = randomWanted(random, text);
        const TextSearch::Options options{random.bounded(2) == 1, random.bounded(3) == 0};
        const QString replacement = randomText(random, random.bounded(4));
        // QString::replace, only where the reference accepts a match.
        const Reference reference(text, wanted, options);
        QList<qsizetype> matches;
        for (qsizetype at = reference.next(0); at >= 0; at = reference.next(at + wanted.size()))
            matches.prepend(at);
        QString expected = text;
        for (const qsizetype at : matches)
            expected.replace(at, wanted.size(), replacement);
        const TextSearch::Replaced replaced =
            TextSearch(wanted, options).replaceAll(buffer, replacement, 0);
        QCOMPARE(replaced.count, matches.size());
        QCOMPARE(replaced.text.toString(), matches.isEmpty() ? QString() : expected);
    }

    // Matches side by side through megabytes: progress is still told, and Cancel still stops.
    const TextBuffer dense(QByteArray(3 << 20, 'a'));
    qsizetype told = 0;
    const TextSearch::Replaced stopped =
        TextSearch(u"a"_qs, {}).replaceAll(dense, u"bb"_qs, 0, [&told](qsizetype scanned) {
            told = scanned;
            return scanned < (2 << 20);
        });
    QVERIFY(stopped.stopped);
    QVERIFY(told >= 2 << 20 && told < 3 << 20);
}

QTEST_GUILESS_MAIN(tst_TextSearch)
#include "tst_TextSearch.moc"
