#include "document/DocumentFormat.h"

#include <QStringEncoder>
#include <QTest>

// Bytes of a file, the text the editing box gets, and what saving it unchanged writes.
class tst_DocumentFormat : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void noSilentReencoding();
    void localeCodePage_data();
    void localeCodePage();
    void legacySamples();
    void detectionWhereTheLocaleGuessesWrong();
    void editedBreaks();
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
    row("NUL", QByteArray("\0a\0b\n", 5), QString::fromUtf16(u"\0a\0b", 4));
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
    // The odd byte and a lone surrogate stay as they were.
    row("odd UTF-16",
        QByteArray("\xFF\xFE"
                   "a\0\n\0\xAA",
                   7),
        u"a"_qs);
    row("lone surrogate UTF-16", QByteArray("\xFF\xFE\0\xD8\n\0", 6), QString(QChar(0xD800)));
    row("UTF-16 without a mark", QByteArray("h\0i\0\r\0\n\0", 8), u"hi"_qs);
    row("UTF-16 BE without a mark gains a UTF-16 break", QByteArray("\0h\0i", 4), u"hi"_qs,
        QByteArray("\0h\0i\0\r\0\n", 8));
    row("UTF-32 LE", QByteArray("\xFF\xFE\0\0h\0\0\0\x16\x04\0\0\n\0\0\0", 16), u"h\u0416"_qs);
    row("UTF-32 BE, a unit that is no character", QByteArray("\0\0\xFE\xFF\0\x11\0\0\0\0\0\n", 12),
        QString::fromUtf16(u"\xDC00\xDC11\xDC00\xDC00", 4));
    row("UTF-8, a stray byte", "na\xC3\xAFve caf\xC3\xA9 \xE2\x80\x93 ok\xE9\n",
        QString::fromUtf16(u"na\u00EFve caf\u00E9 \u2013 ok\xDCE9"));
    row("UTF-8 mark, a bad byte", "\xEF\xBB\xBF\xFFok\n", QString::fromUtf16(u"\xDCFFok"));
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

// Nothing is written in another encoding unless asked for: a character the file's encoding
// cannot hold fails the whole write, in one go or in pieces.
void tst_DocumentFormat::noSilentReencoding() {
    const DocumentLayout layout = decodeDocument("caf\xE9\r\n").layout;
    const QString typed = u"caf\u00E9\n\n\u2192\U0001F600"_qs;
    QVERIFY(encodeDocument(typed, layout).isNull());
    QVERIFY(!encodeDocument({QStringView(typed)}, layout, 4, [](QByteArray&) { return true; }));
}

void tst_DocumentFormat::localeCodePage_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("Russian") << QByteArray("ru_RU.UTF-8") << TextEncoding::Windows1251;
    QTest::newRow("Polish, no codeset") << QByteArray("pl_PL") << TextEncoding::Windows1250;
    QTest::newRow("Greek with modifier")
        << QByteArray("el_GR.UTF-8@euro") << TextEncoding::Windows1253;
    QTest::newRow("Japanese") << QByteArray("ja_JP.eucJP") << TextEncoding::ShiftJis;
    QTest::newRow("Chinese, mainland") << QByteArray("zh_CN.UTF-8") << TextEncoding::Gb18030;
    QTest::newRow("Chinese, Taiwan") << QByteArray("zh_TW.Big5") << TextEncoding::Big5;
    QTest::newRow("Korean") << QByteArray("ko_KR.UTF-8") << TextEncoding::Windows949;
    QTest::newRow("Thai") << QByteArray("th_TH") << TextEncoding::Windows874;
    QTest::newRow("German") << QByteArray("de_DE.UTF-8") << TextEncoding::Windows1252;
    QTest::newRow("C") << QByteArray("C.UTF-8") << TextEncoding::Windows1252;
}

void tst_DocumentFormat::localeCodePage() {
    QFETCH(QByteArray, locale);
    QFETCH(TextEncoding, encoding);
    QCOMPARE(ansiCodePageOfLocale(locale), encoding);
    // LC_ALL wins over LANG, as in the C library.
    qputenv("LANG", "de_DE.UTF-8");
    qputenv("LC_ALL", locale);
    QCOMPARE(systemAnsiCodePage(), encoding);
    qunsetenv("LC_ALL");
    qunsetenv("LANG");
}

// A user's own notes in the locale's code page read as their text and save back unchanged.
void tst_DocumentFormat::legacySamples() {
    struct Sample {
        const char* locale;
        QString text;
    };
    const Sample samples[] = {
        {"ru_RU.UTF-8", u"Привет, мир! Съешь же ещё этих мягких французских булок."_qs},
        {"ja_JP.UTF-8", u"日本語のテキストです。ｶﾀｶﾅも。"_qs},
        {"zh_CN.UTF-8", u"中文文本，简体字。"_qs},
        {"zh_TW.UTF-8", u"中文文本，繁體字。"_qs},
        {"ko_KR.UTF-8", u"한국어 텍스트입니다. 똠방각하"_qs},
        {"el_GR.UTF-8", u"Καλημέρα κόσμε"_qs},
        {"cs_CZ.UTF-8", u"Příliš žluťoučký kůň úpěl ďábelské ódy"_qs},
    };
    for (const Sample& sample : samples) {
        qputenv("LANG", sample.locale);
        const TextEncoding encoding = systemAnsiCodePage();
        const QByteArray bytes =
            QStringEncoder(encodingInfo(encoding).converterName)(sample.text + u"\r\n"_qs);
        const DecodedDocument doc = decodeDocument(bytes);
        QCOMPARE(doc.layout.encoding, encoding);
        QCOMPARE(doc.text, sample.text);
        QCOMPARE(encodeDocument(doc.text, doc.layout), bytes);
    }
    qunsetenv("LANG");
}

void tst_DocumentFormat::editedBreaks() {
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
    // Typed text stays UTF-16 with the file's breaks.
    const DocumentLayout utf16 = decodeDocument(QByteArray("\xFE\xFF\0a\0\r", 6)).layout;
    QCOMPARE(encodeDocument(u"a\n\u0416"_qs, utf16), QByteArray("\xFE\xFF\0a\0\r\x04\x16\0\r", 10));
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
        latin +=
            i % 7 == 0 ? QChar(u'\n') : QChar(char16_t(0x20 + (i * 37) % 0x60 + (i % 2) * 0x80));
    for (const QByteArray& file :
         {QByteArray("a\r\nb\nc\r\n"), QByteArray("\x80\x81\r\n\xE9\r\n")}) {
        const DocumentLayout layout = decodeDocument(file).layout;
        for (const QString& text : {latin, latin + u"\u20AC\n\u2028x\U0001F600y"_qs}) {
            if (layout.encoding != TextEncoding::Utf8 && text != latin)
                continue; // Windows-1252 cannot hold it
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

// A note of a few lines in another script's code page than the locale's reads as its text; a
// short one in the locale's code page.
void tst_DocumentFormat::detectionWhereTheLocaleGuessesWrong() {
    struct Sample {
        const char* encoding;
        TextEncoding read;
        QString text;
    };
    const Sample samples[] = {
        {"windows-1251", TextEncoding::Windows1251,
         u"Привет, мир! Это заметка о встрече в пятницу.\nПозвонить Ивану Петровичу по поводу "
         u"ремонта квартиры, купить хлеб и молоко."_qs},
        {"windows-1250", TextEncoding::Windows1250,
         u"Příliš žluťoučký kůň úpěl ďábelské ódy.\nZítra ráno zavolat paní Novákové kvůli "
         u"schůzce v kanceláři."_qs},
        {"windows-1253", TextEncoding::Windows1253,
         u"Καλημέρα κόσμε. Αύριο το πρωί πρέπει να τηλεφωνήσω στον γιατρό\nγια το ραντεβού "
         u"της Τετάρτης."_qs},
        {"Shift_JIS", TextEncoding::ShiftJis,
         u"日本語のテキストです。明日の会議は午前十時から始まります。\n田中さんに電話して資料を"
         u"送ってください。"_qs},
        {"GB18030", TextEncoding::Gb18030,
         u"这是一段中文文本。明天上午十点开会，\n请给王先生打电话并把资料发给他。"_qs},
        {"windows-949", TextEncoding::Windows949,
         u"한국어 텍스트입니다. 내일 오전 열 시에 회의가 있습니다.\n김 선생님께 전화해서 "
         u"자료를 보내 주세요."_qs},
    };
    qputenv("LANG", "en_GB.UTF-8");
    for (const Sample& sample : samples) {
        const QByteArray bytes = QStringEncoder(sample.encoding)(sample.text + u'\n');
        const DecodedDocument doc = decodeDocument(bytes);
        QCOMPARE(doc.layout.encoding, sample.read);
        QCOMPARE(doc.text, sample.text);
        QCOMPARE(encodeDocument(doc.text, doc.layout), bytes);
    }
    // Too short to tell: the locale's code page.
    QCOMPARE(decodeDocument(QStringEncoder("windows-1251")(u"Да\n"_qs)).layout.encoding,
             TextEncoding::Windows1252);
    qputenv("LANG", "ru_RU.UTF-8");
    QCOMPARE(decodeDocument("Caf\xE9 cr\xE8me\n").layout.encoding, TextEncoding::Windows1251);
    qunsetenv("LANG");
}

QTEST_APPLESS_MAIN(tst_DocumentFormat)
#include "tst_DocumentFormat.moc"
