// The editing box beside QPlainTextEdit, both driven by the same random keys and clicks on the
// same random texts: after every step they must hold the same text, caret and selection, show
// the same top line and leave the same clipboard. A failure prints the shortest sequence of
// steps that still fails. Where the two differ on purpose: SideBySide.h.
#include "document/DocumentFormat.h"
#include "document/Windows1252.h"
#include "widgets/SideBySide.h"

namespace {

QString shown(const State& s) {
    return u"caret %1 anchor %2 top %3"_qs.arg(s.cursor).arg(s.anchor).arg(s.top);
}

QString difference(const State& mine, const State& theirs, bool compareTop) {
    if (mine.text != theirs.text || mine.clipboard != theirs.clipboard ||
        mine.cursor != theirs.cursor || mine.anchor != theirs.anchor ||
        (compareTop && mine.top != theirs.top))
        return u"ours %1 text %2 clipboard %3, QPlainTextEdit %4 text %5 clipboard %6"_qs.arg(
            shown(mine), escaped(mine.text), escaped(mine.clipboard), shown(theirs),
            escaped(theirs.text), escaped(theirs.clipboard));
    return QString();
}

struct Failure {
    qsizetype step = -1; // the step after which the boxes differed
    QString why;
};

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
    const auto tryWith = [&](const QString& fewerLines, std::vector<Step> fewerSteps) {
        const Failure again = run(boxes, fewerLines, fewerSteps);
        if (again.step < 0)
            return false;
        fewerSteps.resize(size_t(again.step + 1));
        text = fewerLines;
        steps = fewerSteps;
        failure = again;
        return true;
    };
    for (bool shorter = true; shorter;) {
        shorter = false;
        for (size_t chunk = std::max<size_t>(1, steps.size() / 2); chunk >= 1; chunk /= 2) {
            for (size_t i = 0; i + chunk <= steps.size();) {
                std::vector<Step> fewer = steps;
                fewer.erase(fewer.begin() + qsizetype(i), fewer.begin() + qsizetype(i + chunk));
                if (tryWith(text, fewer))
                    shorter = true;
                else
                    i += chunk;
            }
        }
        for (qsizetype i = 0; text.count(u'\n') > 0 && i <= text.count(u'\n');) {
            QStringList lines = text.split(u'\n');
            lines.removeAt(i);
            if (tryWith(lines.join(u'\n'), steps))
                shorter = true;
            else
                ++i;
        }
    }
    // Replayed, with where each box had its caret (and anchor) after each step.
    QString report = u"text %1\n"_qs.arg(escaped(text));
    boxes.reset(text);
    for (size_t i = 0; i < steps.size(); ++i) {
        const bool made = boxes.apply(steps[i]);
        report += u"  %1. %2%3: %4, QPlainTextEdit %5\n"_qs.arg(i + 1).arg(
            describe(steps[i]) + boxes.hits, made ? QString() : u" (not made)"_qs,
            shown(boxes.oursNow()), shown(boxes.theirsNow()));
    }
    return report + u"then: "_qs + failure.why;
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
    const int total = stepsForRun(5000);
    qInfo("seed %u (NOTAVO_DIFF_SEED=%u repeats this run), %d steps", seed, seed, total);
    Boxes boxes;
    QVERIFY(boxes.shown());
    Generator generate(seed);
    constexpr int stepsPerText = 120;
    for (int done = 0; done < total; done += stepsPerText) {
        const QString text = generate.text(13, true);
        const std::vector<Step> steps = generate.steps(stepsPerText, editingSteps(false, true));
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
        boxes.reset(generate.text(13, true));
        for (const Step& step : generate.steps(100, editingSteps(latin))) {
            boxes.apply(step);
            const QString shown = boxes.ours.toPlainText();
            QVERIFY2(shown.isValidUtf16(), qPrintable(escaped(shown)));
            const TextParts parts = boxes.ours.buffer().parts();
            QCOMPARE(decodeDocument(encodeDocument(parts, newDocumentLayout())).text, shown);
            const QByteArray bytes = encodeDocument(parts, windows1252);
            const bool fits = std::all_of(shown.cbegin(), shown.cend(), [](QChar c) {
                return windows1252Byte(c.unicode()) >= 0;
            });
            // Text Windows-1252 cannot hold is never written in it.
            QCOMPARE(bytes.isNull(), !fits);
            QCOMPARE(bool(firstUnencodable(parts, windows1252)), !fits);
            if (!fits)
                continue;
            QString read = decodeWindows1252(bytes);
            read.replace(u"\r\n"_qs, u"\n"_qs);
            read.chop(1);
            QCOMPARE(read, shown);
        }
    }
}

QTEST_MAIN(tst_TextViewDifferential)
#include "tst_TextViewDifferential.moc"
