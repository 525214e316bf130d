#include "editor/TextView.h"
#include "widgets/DocumentWindow.h"

#include <QCheckBox>
#include <QMenu>
#include <QSet>
#include <QStringEncoder>

// The encodings users meet, through the real window: what opens, what typing and saving write.
namespace {
QByteArray encoded(const char* encoding, const QString& text) {
    return QStringEncoder(encoding)(text);
}

// Opens the file through Open, as the user would.
void open(DocumentWindow& f, const QString& path) {
    f.t.dialogs.queuePath(path);
    f.run("mnuFileOpen");
}

// Types at the end of the text.
void typeAtEnd(DocumentWindow& f, const QString& typed) {
    f.w.txtMain().setCursorPosition(f.w.txtMain().toPlainText().size());
    for (const QChar c : typed) {
        if (c == u'\n') {
            QTest::keyClick(&f.w.txtMain(), Qt::Key_Return);
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&f.w.txtMain(), &press);
    }
}

struct Locale {
    explicit Locale(const char* name) { qputenv("LANG", name); }
    ~Locale() { qunsetenv("LANG"); }
};
} // namespace

class tst_Encodings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qunsetenv("LC_ALL"), qunsetenv("LC_CTYPE"); }

    // A Russian note stays Windows-1251 when typed into; a character it cannot hold is asked
    // about, never written in another encoding behind the user's back.
    void russianNoteKeepsItsCodePage() {
        const Locale russian("ru_RU.UTF-8");
        DocumentWindow f;
        const QString path = f.path("note.txt");
        writeBytes(path, encoded("windows-1251", u"Привет, мир!\r\nВторая строка\r\n"_qs));
        open(f, path);
        QCOMPARE(f.w.txtMain().toPlainText(), u"Привет, мир!\nВторая строка"_qs);
        typeAtEnd(f, u"ж"_qs);
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), encoded("windows-1251", u"Привет, мир!\r\nВторая строкаж\r\n"_qs));

        const QByteArray before = bytesOf(path);
        typeAtEnd(f, u"\n→"_qs);
        f.t.messages.answers << QMessageBox::No;
        f.run("mnuFileSave");
        QCOMPARE(f.lastBox(),
                 (FakeMessageBox::Call{
                     "\"note.txt\" is saved as Windows-1251 (Cyrillic), which cannot hold some "
                     "characters you typed (the first: \"→\" on line 3). Save it as UTF-8 "
                     "instead?",
                     "Save", QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning}));
        QCOMPARE(bytesOf(path), before);
        // Auto-save never asks: it writes nothing and says so.
        const qsizetype boxes = f.t.messages.calls.size();
        f.w.autosavecheck()->click();
        f.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(f.t.messages.calls.size(), boxes);
        QVERIFY(f.w.statusText().startsWith(u"Auto-save wrote nothing"_qs));
        // Escape writes nothing either; Yes writes UTF-8, and the document stays UTF-8.
        f.t.messages.answers << QMessageBox::NoButton << QMessageBox::Yes;
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), before);
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), u"Привет, мир!\r\nВторая строкаж\r\n→\r\n"_qs.toUtf8());
        f.w.autosavetimerTick();
        QCOMPARE(bytesOf(path), u"Привет, мир!\r\nВторая строкаж\r\n→\r\n"_qs.toUtf8());
    }

    // Stray bytes in UTF-8 show as marks, stay UTF-8, and go back exactly as they were.
    void strayBytesStayUtf8() {
        DocumentWindow f;
        const QString path = f.path("cafe.txt");
        const QByteArray bytes = "na\xC3\xAFve caf\xC3\xA9 \xE2\x80\x93 ok\xE9\n";
        writeBytes(path, bytes);
        open(f, path);
        QCOMPARE(f.w.txtMain().toPlainText(), u"naïve café – ok"_qs + QChar(0xDCE9));
        typeAtEnd(f, u"→"_qs);
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), QByteArray("na\xC3\xAFve caf\xC3\xA9 \xE2\x80\x93 ok\xE9"
                                           "\xE2\x86\x92\n"));
    }

    // Clear's save-first adds the text in the receiving file's own encoding and breaks.
    void clearAppendsInTheReceivingEncoding() {
        DocumentWindow f;
        const QString source = f.path("wide.txt");
        writeBytes(source, encoded("UTF-16LE", u"\uFEFFЖ1\r\n2\r\n"_qs));
        open(f, source);
        const QString target = f.path("target.txt");
        writeBytes(target, "before\n");
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queuePath(target);
        f.run("mnuFileClear");
        QCOMPARE(bytesOf(target), u"before\nЖ1\n2\n"_qs.toUtf8());
        QCOMPARE(f.w.txtMain().toPlainText(), QString());

        // A Windows-1251 file that cannot hold the text: asked; No keeps the text in the box.
        const Locale russian("ru_RU.UTF-8");
        const QByteArray cyrillic = encoded("windows-1251", u"Привет\r\n"_qs);
        writeBytes(target, cyrillic);
        f.w.txtMain().setPlainText(u"ж→"_qs);
        f.t.messages.answers << QMessageBox::Yes << QMessageBox::No;
        f.t.dialogs.queuePath(target);
        f.run("mnuFileClear");
        QVERIFY(f.lastBox().text.startsWith(u"\"target.txt\" is saved as Windows-1251"_qs));
        QCOMPARE(bytesOf(target), cyrillic);
        QCOMPARE(f.w.txtMain().toPlainText(), u"ж→"_qs);
        // Yes: the whole file becomes UTF-8, never two encodings in one file.
        f.t.messages.answers << QMessageBox::Yes << QMessageBox::Yes;
        f.t.dialogs.queuePath(target);
        f.run("mnuFileClear");
        QCOMPARE(bytesOf(target), u"Привет\r\nж→\r\n"_qs.toUtf8());
        QCOMPARE(f.w.txtMain().toPlainText(), QString());
        // It holds the text: added in Windows-1251.
        writeBytes(target, cyrillic);
        f.w.txtMain().setPlainText(u"ж"_qs);
        f.t.messages.answers << QMessageBox::Yes;
        f.t.dialogs.queuePath(target);
        f.run("mnuFileClear");
        QCOMPARE(bytesOf(target), encoded("windows-1251", u"Привет\r\nж\r\n"_qs));
    }

    // Open ends with Reopen With Encoding, which reads the same bytes again.
    void reopenWithEncoding() {
        const Locale german("de_DE.UTF-8");
        DocumentWindow f;
        QMenu* openMenu = f.w.findChild<QMenu*>(u"mnuOpen"_qs);
        QMenu* encodings = f.w.findChild<QMenu*>(u"mnuReopenEncoding"_qs);
        QVERIFY(openMenu && encodings);
        const QList<QAction*> entries = openMenu->actions();
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0]->objectName(), u"mnuFileOpen"_qs);
        QCOMPARE(entries[1]->objectName(), u"mnuOpenCustom"_qs);
        QVERIFY(entries[2]->isSeparator());
        QCOMPARE(entries[3], encodings->menuAction());
        QVERIFY(!encodings->menuAction()->isEnabled());
        // Every entry named, with an access letter of its own.
        QSet<QChar> letters;
        for (const QAction* entry : encodings->actions()) {
            QVERIFY(entry->objectName().startsWith(u"mnuReopen_"_qs));
            const qsizetype amp = entry->text().indexOf(u'&');
            QVERIFY(amp >= 0);
            letters.insert(entry->text().at(amp + 1).toLower());
        }
        QCOMPARE(letters.size(), encodings->actions().size());

        const QString path = f.path("note.txt");
        const QByteArray bytes = encoded("windows-1251", u"Привет, мир!\r\nПока\r\n"_qs);
        writeBytes(path, bytes);
        open(f, path);
        QVERIFY(encodings->menuAction()->isEnabled());
        // Too short for the detector: read in the locale's code page.
        QCOMPARE(f.w.txtMain().toPlainText().left(6), u"Ïðèâåò"_qs);
        f.w.action(u"mnuReopen_windows_1251"_qs)->trigger();
        QCOMPARE(f.w.txtMain().toPlainText(), u"Привет, мир!\nПока"_qs);
        QCOMPARE(bytesOf(path), bytes);
        QVERIFY(f.t.messages.calls.isEmpty());
        // Edited: asked first; No keeps the text.
        typeAtEnd(f, u"!"_qs);
        f.t.messages.answers << QMessageBox::No;
        f.w.action(u"mnuReopen_UTF_8"_qs)->trigger();
        QCOMPARE(f.t.messages.calls.size(), 1);
        QVERIFY(f.w.txtMain().toPlainText().endsWith(u"Пока!"_qs));
        f.run("mnuFileSave");
        QCOMPARE(bytesOf(path), encoded("windows-1251", u"Привет, мир!\r\nПока!\r\n"_qs));
        f.run("mnuFileNew");
        QVERIFY(!encodings->menuAction()->isEnabled());
    }
};

QTEST_MAIN(tst_Encodings)
#include "tst_Encodings.moc"
