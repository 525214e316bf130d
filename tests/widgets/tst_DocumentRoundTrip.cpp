#include "document/DocumentFormat.h"
#include "editor/TextView.h"

#include <QRandomGenerator>
#include <QTest>
#include <QWidget>

// Random files, weighted towards the bytes that break naive editors, go through the real
// editing box and must come back byte for byte (plus one final break when they had none).
class tst_DocumentRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void randomFilesThroughTheBox();
};

namespace {

QByteArray randomFile(QRandomGenerator& random) {
    static const QByteArray pieces[] = {"\r",
                                        "\n",
                                        "\r\n",
                                        QByteArray(1, '\0'),
                                        "\xEF\xBB\xBF",
                                        "\xE2\x80\xA9",
                                        "\xE2\x80\xA8",
                                        "\xEF\xB7\x90",
                                        "\xEF\xB7\x91",
                                        "\xC3\xA9",
                                        "\xF0\x9F\x98\x80"};
    QByteArray bytes;
    const int length = random.bounded(40);
    for (int i = 0; i < length; ++i) {
        const int kind = random.bounded(10);
        if (kind < 4)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        else if (kind < 6)
            bytes += char(0x80 + random.bounded(0x80));
        else if (kind < 7)
            bytes += char(random.bounded(0x20));
        else
            bytes += char('a' + random.bounded(26));
    }
    return bytes;
}

bool endsWithBreak(const QByteArray& bytes, TextEncoding encoding) {
    if (bytes.endsWith('\r') || bytes.endsWith('\n'))
        return true;
    return encoding == TextEncoding::Utf8 &&
           (bytes.endsWith("\xE2\x80\xA9") || bytes.endsWith("\xEF\xB7\x90") ||
            bytes.endsWith("\xEF\xB7\x91"));
}

} // namespace

void tst_DocumentRoundTrip::randomFilesThroughTheBox() {
    QWidget window;
    TextView box(&window);
    QRandomGenerator random(20261207);
    int utf8 = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray bytes = randomFile(random);
        if (round % 3 == 0)
            bytes.prepend("\xEF\xBB\xBF");
        const DecodedDocument doc = decodeDocument(bytes);
        utf8 += doc.layout.encoding == TextEncoding::Utf8;
        box.setPlainText(doc.text);
        const QByteArray saved = encodeDocument(box.buffer().parts(), doc.layout);
        const QByteArray expected =
            endsWithBreak(bytes, doc.layout.encoding) ? bytes : bytes + doc.layout.defaultBreak;
        if (saved != expected)
            QFAIL(qPrintable(u"round %1: %2 came back as %3"_qs.arg(round).arg(
                QString::fromLatin1(bytes.toHex(' ')), QString::fromLatin1(saved.toHex(' ')))));
    }
    QVERIFY(utf8 > 100); // both decodings were exercised
}

QTEST_MAIN(tst_DocumentRoundTrip)
#include "tst_DocumentRoundTrip.moc"
