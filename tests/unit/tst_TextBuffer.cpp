#include "editor/TextBuffer.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const QString Emoji = QString::fromUcs4(U"\U0001F600");

// The line index a plain string implies: where each line starts.
std::vector<qsizetype> lineStarts(const QString& s) {
    std::vector<qsizetype> starts{0};
    for (qsizetype i = s.indexOf(u'\n'); i >= 0; i = s.indexOf(u'\n', i + 1))
        starts.push_back(i + 1);
    return starts;
}

qsizetype longestLine(const std::vector<qsizetype>& starts, qsizetype size) {
    qsizetype longest = size - starts.back();
    const qsizetype* p = starts.data();
    for (size_t i = 1; i < starts.size(); ++i)
        longest = std::max(longest, p[i] - p[i - 1] - 1);
    return longest;
}

// A text of one-byte characters and line breaks, large enough to be kept one byte each.
QString latin1Text(QRandomGenerator& random, qsizetype length) {
    QString out;
    while (out.size() < length)
        out +=
            random.bounded(12) == 0 ? QChar(u'\n') : QChar(char16_t(0x20 + random.bounded(0xE0)));
    return out;
}

// A short random text of letters, line breaks and surrogate pairs.
QString randomText(QRandomGenerator& random, qsizetype length) {
    QString out;
    while (out.size() < length) {
        const int kind = random.bounded(10);
        if (kind == 0)
            out += u'\n';
        else if (kind == 1)
            out += QString::fromUcs4(U"\U0001F600");
        else
            out += QChar(u'a' + random.bounded(26));
    }
    return out;
}

// Compares everything the buffer reports with what the plain string says.
void compareWith(const TextBuffer& buffer, const QString& model, QRandomGenerator& random,
                 bool whole) {
    QCOMPARE(buffer.size(), model.size());
    const std::vector<qsizetype> starts = lineStarts(model);
    QCOMPARE(buffer.lineCount(), qsizetype(starts.size()));
    QCOMPARE(buffer.longestLine(), longestLine(starts, model.size()));
    const qsizetype longestAt = buffer.longestLineStart();
    QCOMPARE(buffer.lineLength(buffer.lineOf(longestAt)), buffer.longestLine());
    QCOMPARE(buffer.lineStart(buffer.lineOf(longestAt)), longestAt);
    for (int i = 0; i < 4; ++i) {
        const auto line = qsizetype(random.bounded(int(starts.size())));
        QCOMPARE(buffer.lineStart(line), starts[size_t(line)]);
        const qsizetype end =
            line + 1 < qsizetype(starts.size()) ? starts[size_t(line) + 1] - 1 : model.size();
        QCOMPARE(buffer.lineEnd(line), end);
        QCOMPARE(buffer.line(line), model.mid(starts[size_t(line)], end - starts[size_t(line)]));
        const qsizetype position = random.bounded(int(model.size() + 1));
        const qsizetype expected =
            std::upper_bound(starts.begin(), starts.end(), position) - starts.begin() - 1;
        QCOMPARE(buffer.lineOf(position), expected);
        const qsizetype length =
            random.bounded(int(std::min<qsizetype>(model.size() - position, 10000) + 1));
        QCOMPARE(buffer.mid(position, length), model.mid(position, length));
        if (position < model.size())
            QCOMPARE(buffer.at(position), model[position].unicode());
    }
    if (whole) {
        QCOMPARE(buffer.toString(), model);
        QString joined;
        for (const QAnyStringView part : buffer.parts())
            joined += part.toString();
        QCOMPARE(joined, model);
    }
}

} // namespace

class tst_TextBuffer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void randomEditsMatchAPlainString();
    void constructionAndEdges();
    void largeTexts();
    void copiesShareAndStayApart();
};

void tst_TextBuffer::randomEditsMatchAPlainString() {
    QRandomGenerator random(20240607);
    // Empty, short, and a document of one-byte characters as opened (kept compact).
    for (const QString& start : {QString(), randomText(random, 300), latin1Text(random, 70000)}) {
        TextBuffer buffer(start);
        QString model = start;
        for (int step = 0; step < (start.size() > 1000 ? 1500 : 5000); ++step) {
            const qsizetype position = random.bounded(int(model.size() + 1));
            if (random.bounded(5) < 3 || model.isEmpty()) {
                // Now and then a large block, as a paste.
                const qsizetype length =
                    step % 500 == 499 ? 6000 + random.bounded(3000) : 1 + random.bounded(12);
                const QString inserted = randomText(random, length);
                buffer.insert(position, inserted);
                model.insert(position, inserted);
            } else {
                const qsizetype length =
                    random.bounded(int(std::min<qsizetype>(model.size() - position, 40) + 1));
                buffer.remove(position, length);
                model.remove(position, length);
            }
            compareWith(buffer, model, random, step % 50 == 0);
            if (QTest::currentTestFailed()) {
                qWarning("after step %d", step);
                return;
            }
        }
        compareWith(buffer, model, random, true);
    }
}

void tst_TextBuffer::constructionAndEdges() {
    QRandomGenerator random(7);
    // A string with spare capacity: the text stays the text, edits work.
    QString spare;
    spare.reserve(100);
    spare.append(u"one\ntwo\n\nfour");
    TextBuffer buffer(spare);
    QCOMPARE(buffer.size(), 13);
    QCOMPARE(buffer.lineCount(), 4);
    QCOMPARE(buffer.line(3), u"four"_qs);
    buffer.insert(0, u"zero\n");
    buffer.insert(buffer.size(), u"\nfive");
    compareWith(buffer, u"zero\none\ntwo\n\nfour\nfive"_qs, random, true);

    // Taking the storage of a string nothing else shares.
    QString owned(u"abc\ndef"_qs);
    owned.reserve(64);
    TextBuffer taken(std::move(owned));
    taken.insert(4, u"x\n");
    compareWith(taken, u"abc\nx\ndef"_qs, random, true);

    TextBuffer empty{QString()};
    QCOMPARE(empty.size(), 0);
    QCOMPARE(empty.lineCount(), 1);
    QCOMPARE(empty.lineEnd(0), 0);
    QCOMPARE(empty.lineOf(0), 0);
    QCOMPARE(empty.toString(), QString());
    empty.insert(0, u"\n");
    compareWith(empty, u"\n"_qs, random, true);

    // Out-of-range edits are clamped rather than writing outside the text.
    TextBuffer edges(u"a\nb"_qs);
    edges.remove(2, 100);
    edges.insert(100, u"c\n");
    compareWith(edges, u"a\nc\n"_qs, random, true);
    QCOMPARE(edges.mid(-3, 100), u"a\nc\n"_qs);
    // A large block, then everything removed at once.
    const QString big = randomText(random, 100000);
    edges.insert(1, big);
    compareWith(edges, u"a"_qs + big + u"\nc\n"_qs, random, true);
    edges.remove(0, edges.size());
    compareWith(edges, QString(), random, true);
}

// Texts long enough for every width of the compact line index and several levels of its
// longest-line maxima: hundreds of thousands of lines, a few of them tens of thousands long.
void tst_TextBuffer::largeTexts() {
    QRandomGenerator random(99);
    QString text;
    for (int i = 0; i < 270000; ++i) {
        const int kind = random.bounded(20000);
        text += QString(kind == 0   ? 70000 + random.bounded(2000)
                        : kind < 80 ? 300 + random.bounded(300)
                                    : random.bounded(6),
                        u'x');
        text += u'\n';
    }
    // One byte each as opened, and UTF-16 (an emoji keeps it wide).
    for (const QString& start : {text, Emoji + text}) {
        TextBuffer buffer(start);
        QString model = start;
        for (int step = 0; step < 24; ++step) {
            compareWith(buffer, model, random, false);
            // Remove the longest line now and then, so the next longest must be found.
            const bool dropLongest = step % 3 == 0;
            const qsizetype position =
                dropLongest ? buffer.longestLineStart() : random.bounded(int(model.size()));
            const qsizetype length =
                dropLongest
                    ? buffer.longestLine() + 1
                    : random.bounded(int(std::min<qsizetype>(model.size() - position, 500)));
            buffer.remove(position, length);
            model.remove(position, length);
            const QString inserted = randomText(random, random.bounded(200));
            buffer.insert(position, inserted);
            model.insert(position, inserted);
            if (QTest::currentTestFailed())
                return;
        }
        compareWith(buffer, model, random, true);
    }
}

// A copy is read on another thread while the original is edited (the way a save reads its
// snapshot): each sees only its own text, under the sanitizers too.
void tst_TextBuffer::copiesShareAndStayApart() {
    QRandomGenerator random(5);
    TextBuffer original(latin1Text(random, 200000));
    original.insert(10, u"typed before the copy\n"_qs);
    const TextBuffer copy = original;
    const QString copyModel = original.toString();
    const void* shared = copy.parts().front().data();
    QCOMPARE(original.parts().front().data(), shared);

    std::atomic<bool> editing = true;
    std::atomic<int> mismatches = 0;
    std::thread reader([&] {
        QRandomGenerator own(11);
        for (int round = 0; editing || round < 200; ++round) {
            const qsizetype position = own.bounded(int(copyModel.size()));
            const qsizetype length = own.bounded(5000);
            const qsizetype line = copy.lineOf(position);
            if (copy.mid(position, length) != copyModel.mid(position, length) ||
                copy.lineStart(line) > position || copy.lineEnd(line) < position ||
                copy.longestLine() > copyModel.size())
                ++mismatches;
        }
    });
    QString model = copyModel;
    for (int step = 0; step < 1000; ++step) {
        const qsizetype position = random.bounded(int(model.size()));
        const QString inserted = randomText(random, 1 + random.bounded(300));
        original.insert(position, inserted);
        model.insert(position, inserted);
        const qsizetype length = random.bounded(200);
        original.remove(position, length);
        model.remove(position, length);
    }
    editing = false;
    reader.join();
    QCOMPARE(mismatches.load(), 0);
    compareWith(original, model, random, true);
    compareWith(copy, copyModel, random, true);
    QCOMPARE(copy.parts().front().data(), shared);

    // The copy can be edited in turn without touching the original.
    TextBuffer second = copy;
    second.insert(0, u"x"_qs);
    compareWith(copy, copyModel, random, true);
    compareWith(second, u"x"_qs + copyModel, random, true);
    compareWith(original, model, random, true);
}

QTEST_GUILESS_MAIN(tst_TextBuffer)
#include "tst_TextBuffer.moc"
