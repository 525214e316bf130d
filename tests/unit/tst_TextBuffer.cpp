#include "text/TextBuffer.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const QString Emoji = QString::fromUcs4(U"\U0001F600");

// A random text of letters and line breaks; wide adds emoji (surrogate pairs), otherwise every
// character fits in one byte, as in most documents opened (kept one byte each).
QString randomText(QRandomGenerator& random, qsizetype length, bool wide = true) {
    QString out;
    while (out.size() < length) {
        const int kind = random.bounded(12);
        if (kind == 0 || (kind == 1 && wide))
            out += kind == 0 ? u"\n"_qs : Emoji;
        else
            out += QChar(wide ? u'a' + random.bounded(26) : 0x20 + random.bounded(0xE0));
    }
    return out;
}

// The same edit of the buffer and of the plain string.
void replace(TextBuffer& buffer, QString& model, qsizetype position, qsizetype length,
             const QString& inserted) {
    buffer.remove(position, length);
    model.remove(position, length);
    buffer.insert(position, inserted);
    model.insert(position, inserted);
}

// Compares everything the buffer reports with what the plain string says.
void compareWith(const TextBuffer& buffer, const QString& model, QRandomGenerator& random,
                 bool whole) {
    QCOMPARE(buffer.size(), model.size());
    std::vector<qsizetype> starts{0}; // where each line starts
    qsizetype longest = 0;
    for (qsizetype i = model.indexOf(u'\n'); i >= 0; i = model.indexOf(u'\n', i + 1)) {
        longest = std::max(longest, i - starts.back());
        starts.push_back(i + 1);
    }
    QCOMPARE(buffer.lineCount(), qsizetype(starts.size()));
    QCOMPARE(buffer.longestLine(), std::max(longest, model.size() - starts.back()));
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
    void largeTexts();
    void copiesShareAndStayApart();
    void builderJoinsStretchesAndText();
};

void tst_TextBuffer::randomEditsMatchAPlainString() {
    QRandomGenerator random(20240607);
    // Empty, short, and a document of one-byte characters as opened (kept compact); each string
    // with room to spare in storage the buffer takes over.
    for (QString start : {QString(), randomText(random, 300), randomText(random, 70000, false)}) {
        QString model = start;
        start.reserve(start.size() + 100);
        TextBuffer buffer(std::move(start));
        compareWith(buffer, model, random, true);
        for (int step = 0; step < (model.size() > 1000 ? 1500 : 5000); ++step) {
            const qsizetype position = random.bounded(int(model.size() + 1));
            if (random.bounded(5) < 3 || model.isEmpty()) // now and then a large block, as pasted
                replace(buffer, model, position, 0,
                        randomText(random, step % 500 == 499 ? 6000 + random.bounded(3000)
                                                             : 1 + random.bounded(12)));
            else
                replace(buffer, model, position,
                        random.bounded(int(std::min<qsizetype>(model.size() - position, 40) + 1)),
                        {});
            compareWith(buffer, model, random, step % 50 == 0);
            if (QTest::currentTestFailed()) {
                qWarning("after step %d", step);
                return;
            }
        }
        compareWith(buffer, model, random, true);
        // Everything removed at once.
        buffer.remove(0, buffer.size());
        compareWith(buffer, QString(), random, true);
    }
    // Out-of-range edits are clamped rather than writing outside the text.
    TextBuffer edges(u"a\nb"_qs);
    edges.remove(2, 100);
    edges.insert(100, u"c\n");
    QCOMPARE(edges.mid(-3, 100), u"a\nc\n"_qs);
    compareWith(edges, u"a\nc\n"_qs, random, true);
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
            replace(buffer, model, position, length, randomText(random, random.bounded(200)));
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
    TextBuffer original(randomText(random, 200000, false));
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
        replace(original, model, random.bounded(int(model.size())), random.bounded(200),
                randomText(random, 1 + random.bounded(300)));
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

void tst_TextBuffer::builderJoinsStretchesAndText() {
    QRandomGenerator random(17);
    // An opened text (one byte a character) on many pieces, some wide, some typed in Latin-1.
    TextBuffer from(randomText(random, 70000, false));
    for (int i = 0; i < 40; ++i) {
        const qsizetype at = random.bounded(int(from.size()));
        from.insert(at, randomText(random, 9, i % 2 == 1));
        from.remove(random.bounded(int(from.size())), 5);
    }
    const QString fromModel = from.toString();
    // Sources far smaller than usual, so that stretches run across their seams.
    for (const qsizetype chunk : {5, 1000, 1 << 24}) {
        TextBuffer::Builder builder(chunk);
        QString model;
        for (int step = 0; step < 120; ++step) {
            if (random.bounded(3) == 0) {
                const QString text = randomText(random, random.bounded(20), step % 2 == 1);
                builder.append(text);
                model += text;
            } else {
                const qsizetype at = random.bounded(int(fromModel.size()));
                const qsizetype length = random.bounded(chunk == 5 ? 200 : 3000);
                builder.append(from, at, length);
                model += fromModel.mid(at, length);
            }
            QCOMPARE(builder.size(), model.size());
        }
        compareWith(builder.take(), model, random, true);
        QCOMPARE(builder.take().size(), 0);
    }
    // What fits in Latin-1 stays one byte a character, typed text too.
    TextBuffer opened(randomText(random, 70000, false));
    opened.insert(5, u"caf\u00E9"_qs);
    TextBuffer::Builder narrow;
    narrow.append(opened, 0, opened.size());
    narrow.append(u"\u00FF"_qs);
    for (const QAnyStringView part : narrow.take().parts())
        QVERIFY(part.visit([](auto v) { return std::is_same_v<decltype(v), QLatin1StringView>; }));
}

QTEST_GUILESS_MAIN(tst_TextBuffer)
#include "tst_TextBuffer.moc"
