#include "document/LineBreakStyles.h"

namespace {
constexpr unsigned char noFinalBreak = 0xFF;
constexpr int styleCount = 6;
} // namespace

const QByteArray& breakBytes(BreakStyle style) {
    static const QByteArray bytes[styleCount] = {
        QByteArrayLiteral("\r\n"),         QByteArrayLiteral("\n"),
        QByteArrayLiteral("\r"),           QByteArrayLiteral("\xE2\x80\xA9"),
        QByteArrayLiteral("\xEF\xB7\x90"), QByteArrayLiteral("\xEF\xB7\x91")};
    return bytes[int(style)];
}

void LineBreakRecorder::add(BreakStyle style, qint64 n) {
    if (style != current || runLength == 0) {
        flush();
        current = style;
    }
    runLength += n;
    total += n;
    if (int(style) < 3)
        plainCounts[int(style)] += n;
}

void LineBreakRecorder::takeLastAsFinal() {
    finalStyle = int(current);
    --runLength;
    --total;
}

BreakStyle LineBreakRecorder::commonPlainStyle() const {
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (plainCounts[i] > plainCounts[best])
            best = i;
    return BreakStyle(best);
}

void LineBreakRecorder::flush() {
    if (runLength == 0)
        return;
    runs.append(char(current));
    quint64 n = quint64(runLength);
    do {
        runs.append(char((n & 0x7F) | (n > 0x7F ? 0x80 : 0)));
        n >>= 7;
    } while (n);
    runLength = 0;
}

QByteArray LineBreakRecorder::finish() {
    flush();
    if (finalStyle < 0 && runs.isEmpty())
        return {};
    return char(finalStyle < 0 ? noFinalBreak : finalStyle) + runs;
}

LineBreakPlayer::LineBreakPlayer(const QByteArray& record, const QByteArray& defaultBreak)
    : record(record), defaultBreak(defaultBreak) {}

const QByteArray& LineBreakPlayer::next() {
    if (left == 0) {
        if (position + 1 >= record.size())
            return defaultBreak;
        const auto style = static_cast<unsigned char>(record[position++]);
        quint64 n = 0;
        int shift = 0;
        while (position < record.size() && shift < 63) {
            const auto b = static_cast<unsigned char>(record[position++]);
            n |= quint64(b & 0x7F) << shift;
            shift += 7;
            if (!(b & 0x80))
                break;
        }
        if (style >= styleCount || n == 0) {
            position = record.size(); // not a record of ours: the default from here on
            return defaultBreak;
        }
        current = BreakStyle(style);
        left = qint64(n);
    }
    --left;
    return breakBytes(current);
}

const QByteArray& LineBreakPlayer::final() const {
    if (record.isEmpty() || static_cast<unsigned char>(record[0]) >= styleCount)
        return defaultBreak;
    return breakBytes(BreakStyle(static_cast<unsigned char>(record[0])));
}
