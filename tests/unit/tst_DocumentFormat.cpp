#include "document/DocumentFormat.h"

#include <QTest>

// Bytes of a file, the text the editing box gets, and what saving it unchanged writes.
class tst_DocumentFormat : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void windows1252();
    void promotionToUtf8();
    void editedBreaksAndNewDocuments();
    void everyAlignment();
    void piecesInBothForms();
};

namespace {

// A file, the text it shows, and what saving it unchanged writes (the same bytes, unless given).
void row(const char* name, const QByteArray& bytes, const QString& text, QByteArray saved = {}) {
    QTest::newRow(name) << bytes << text << (saved.isNull() ? bytes : saved);
}

} // namespace

// Single breaks of each kind are in everyAlignment; here what a whole file makes of them.
void tst_DocumentFormat::roundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("saved");
    row("empty file gains a break", QByteArray(), QString(), "\r\n");
    row("mix", "a\r\r\n\n\rb\n\r", u"a\n\n\n\nb\n"_qs);
    row("no final break, LF file", "a\nb", u"a\nb"_qs, "a\nb\n");
    row("only a break", "\n", QString());
    row("two final breaks", "a\r\n\r\n", u"a\n"_qs);
    row("BOM", "\xEF\xBB\xBFh\xC3\xA9\r\n", u"h\u00E9"_qs);
    row("BOM twice", "\xEF\xBB\xBF\xEF\xBB\xBF\n", u"\uFEFF"_qs);
    row("U+2029 and frame marks are breaks",
        "a\xE2\x80\xA9"
        "b\xEF\xB7\x90\xEF\xB7\x91\xE2\x80\xA8",
        u"a\nb\n\n\u2028"_qs,
        "a\xE2\x80\xA9"
        "b\xEF\xB7\x90\xEF\xB7\x91\xE2\x80\xA8\r\n");
    row("final U+2029", "a\xE2\x80\xA9", u"a"_qs);
    row("NUL", QByteArray("\0a\0\n", 4), QString::fromUtf16(u"\0a\0", 3));
    row("Windows-1252", "\x80\x81\x8D\x8F\x90\x9D\xFF\r\n",
        u"\u20AC\u0081\u008D\u008F\u0090\u009D\u00FF"_qs);
    row("UTF-16 LE, CR LF", QByteArray("\xFF\xFEh\0\xE9\0\r\0\n\0b\0\r\0\n\0", 14),
        u"h\u00E9\nb"_qs);
    row("UTF-16 BE, every break, a pair",
        QByteArray("\xFE\xFF\0a\0\r\0b\0\n\0c\0\r\0\n\0d\x20\x29\0e\xFD\xD0\xFD\xD1"
                   "\xD8\x3D\xDE\x00\0\r",
                   32),
        u"a\nb\nc\nd\ne\n\n\U0001F600"_qs);
    row("UTF-16 gains a UTF-16 break", QByteArray("\xFF\xFE\x16\x04", 4), u"\u0416"_qs,
        QByteArray("\xFF\xFE\x16\x04\r\0\n\0", 8));
    row("odd UTF-16 is Windows-1252",
        QByteArray("\xFF\xFE"
                   "a\0\n",
                   5),
        QString::fromUtf16(u"\u00FF\u00FEa\0", 4));
    row("lone surrogate UTF-16 is Windows-1252", QByteArray("\xFF\xFE\0\xD8\n\0", 6),
        QString::fromUtf16(u"\u00FF\u00FE\0\u00D8\n\0", 6), QByteArray("\xFF\xFE\0\xD8\n\0\n", 7));
    row("overlong and surrogate UTF-8 are not UTF-8", "\xC0\xAF\xED\xA0\x80\n",
        u"\u00C0\u00AF\u00ED\u00A0\u20AC"_qs);
}

void tst_DocumentFormat::roundTrip() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, saved);
    const DecodedDocument doc = decodeDocument(bytes);
    QCOMPARE(doc.text, text);
    QCOMPARE(encodeDocument(doc.text, doc.layout), saved);
    // The compact decoding gives the same text and layout, or declines.
    const bool fitsLatin1 =
        doc.layout.encoding == TextEncoding::Utf8 &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 256; }) &&
        !bytes.contains("\xE2\x80\xA9") && !bytes.contains("\xEF\xB7");
    const auto compact = decodeCompactDocument(bytes);
    QCOMPARE(compact.has_value(), fitsLatin1);
    if (compact) {
        QCOMPARE(QString::fromLatin1(compact->latin1), text);
        QCOMPARE(compact->layout.byteOrderMark, doc.layout.byteOrderMark);
        QCOMPARE(compact->layout.defaultBreak, doc.layout.defaultBreak);
        QCOMPARE(compact->layout.breakStyles, doc.layout.breakStyles);
    }
}

void tst_DocumentFormat::windows1252() {
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(char(b));
    every.append('\n');
    const DecodedDocument doc = decodeDocument(every);
    QCOMPARE(doc.layout.encoding, TextEncoding::Windows1252);
    QCOMPARE(doc.text.size(), 256); // the final LF is taken off
    QCOMPARE(encodeDocument(doc.text, doc.layout), every);
}

void tst_DocumentFormat::promotionToUtf8() {
    DecodedDocument doc = decodeDocument("caf\xE9\r\n");
    QCOMPARE(doc.layout.encoding, TextEncoding::Windows1252);
    QCOMPARE(encodeDocument(doc.text + QChar(0x20AC), doc.layout), QByteArray("caf\xE9\x80\r\n"));
    const QString typed = doc.text + u"\u0416\U0001F600"_qs;
    QCOMPARE(encodeDocument(typed, doc.layout),
             QByteArray("caf\xC3\xA9\xD0\x96\xF0\x9F\x98\x80\r\n"));
    QCOMPARE(doc.layout.encoding, TextEncoding::Windows1252);
    encodeDocumentSettling(typed, doc.layout);
    QCOMPARE(doc.layout.encoding, TextEncoding::Utf8);
    QCOMPARE(encodeDocument(u"caf\u00E9"_qs, doc.layout), QByteArray("caf\xC3\xA9\r\n"));
}

void tst_DocumentFormat::editedBreaksAndNewDocuments() {
    // Recorded styles are reused in order, breaks beyond them take the file's common style,
    // and the final break keeps its own.
    const DecodedDocument doc = decodeDocument("a\rb\nc\nd\r\n");
    QCOMPARE(doc.layout.defaultBreak, QByteArray("\n"));
    QCOMPARE(encodeDocument(u"a\nb\nc\nd\ne\nf"_qs, doc.layout),
             QByteArray("a\rb\nc\nd\ne\nf\r\n"));
    QCOMPARE(encodeDocument(u"ab"_qs, doc.layout), QByteArray("ab\r\n"));
    // A large file of alike lines keeps a tiny record.
    const DecodedDocument big = decodeDocument(QByteArray("line\r\n").repeated(100000));
    QVERIFY(big.layout.breakStyles.size() < 8);
    // Typed text stays UTF-16 with the file's breaks; a lone surrogate shows, and is saved, as
    // U+FFFD.
    const DocumentLayout utf16 = decodeDocument(QByteArray("\xFE\xFF\0a\0\r", 6)).layout;
    QCOMPARE(encodeDocument(u"a\n\u0416\n"_qs + QChar(0xD800), utf16),
             QByteArray("\xFE\xFF\0a\0\r\x04\x16\0\r\xFF\xFD\0\r", 14));
    const DocumentLayout layout = newDocumentLayout();
    QCOMPARE(encodeDocument(QString(), layout), QByteArray("\r\n"));
    QCOMPARE(encodeDocument(u"a\n\u00E9"_qs, layout), QByteArray("a\r\n\xC3\xA9\r\n"));
}

// The decoder and encoder take plain ASCII in blocks: a break, a multi-byte character or a bad
// byte must be found at any position within and across those blocks.
void tst_DocumentFormat::everyAlignment() {
    const QList<QByteArray> specials = {"\r\n",         "\r",           "\n",
                                        "\xC3\xA9",     "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                        "\xE2\x80\xA9", "\xEF\xB7\x91"};
    for (int offset = 0; offset < 40; ++offset) {
        for (const QByteArray& special : specials) {
            const QByteArray bytes =
                QByteArray(offset, 'x') + special + QByteArray(37 - offset % 19, 'y') + "\r\n";
            QString expected = QString::fromUtf8(bytes);
            expected.chop(2);
            expected.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
            expected.replace(QChar(0x2029), u'\n').replace(QChar(0xFDD1), u'\n');
            const DecodedDocument doc = decodeDocument(bytes);
            QCOMPARE(doc.layout.encoding, TextEncoding::Utf8);
            QCOMPARE(doc.text, expected);
            QCOMPARE(encodeDocument(doc.text, doc.layout), bytes);
            if (const auto compact = decodeCompactDocument(bytes)) {
                QCOMPARE(QString::fromLatin1(compact->latin1), expected);
                QCOMPARE(compact->layout.breakStyles, doc.layout.breakStyles);
            } else {
                QVERIFY(special.size() > 2); // only a character above U+00FF declines
            }
        }
        for (const QByteArray& bad : {QByteArray("\xC3("), QByteArray("\xE2\x82"),
                                      QByteArray("\x80"), QByteArray("\xF5\x80\x80\x80")}) {
            const QByteArray bytes = QByteArray(offset, 'x') + bad + QByteArray(offset % 5, 'y');
            const DecodedDocument doc = decodeDocument(bytes);
            QCOMPARE(doc.layout.encoding, TextEncoding::Windows1252);
            QCOMPARE(encodeDocument(doc.text, doc.layout), bytes + "\r\n");
            QVERIFY(!decodeCompactDocument(bytes));
        }
    }
}

// The editing buffer hands its text over as pieces, some UTF-16 and some Latin-1: any split of
// a text into pieces of either form must write exactly the bytes of the whole.
void tst_DocumentFormat::piecesInBothForms() {
    QString latin;
    for (int i = 0; i < 300; ++i)
        latin += i % 7 == 0 ? QChar(u'\n') : QChar(char16_t(0x20 + (i * 37) % 0xE0));
    for (const QByteArray& file :
         {QByteArray("a\r\nb\nc\r\n"), QByteArray("\x80\x81\r\n\xE9\r\n")}) {
        const DocumentLayout layout = decodeDocument(file).layout;
        for (const QString& text : {latin, latin + u"\u20AC\n\u2028x\U0001F600y"_qs}) {
            const QByteArray whole = encodeDocument(text, layout);
            for (int split = 0; split <= 300; split += 13) {
                const QByteArray narrow = text.left(split).toLatin1();
                const QString rest = text.mid(split);
                const TextParts parts{QLatin1StringView(narrow), QStringView(rest)};
                QCOMPARE(encodeDocument(parts, layout), whole);
                // Handed over a few bytes at a time as they are made: still the same bytes.
                for (const qsizetype piece : {1, 2, 7}) {
                    QByteArray joined;
                    QVERIFY(encodeDocument(parts, layout, piece, [&joined](QByteArray& bytes) {
                        joined += bytes;
                        return true;
                    }));
                    QCOMPARE(joined, whole);
                }
                const QByteArray tail = rest.toLatin1();
                if (QString::fromLatin1(tail) == rest) { // Latin-1 on both sides
                    const TextParts both{QStringView(text).left(split), QLatin1StringView(tail)};
                    QCOMPARE(encodeDocument(both, layout), whole);
                }
            }
        }
    }
}

QTEST_APPLESS_MAIN(tst_DocumentFormat)
#include "tst_DocumentFormat.moc"
