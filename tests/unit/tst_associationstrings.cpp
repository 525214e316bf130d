#include "firstrun/AssociationStrings.h"
#include "firstrun/FileAssociation.h"
#include "platform/DesktopEntryText.h"

#include "fakes/TestPlatform.h"

#include <QTest>

namespace {

// Reads an Exec line value back by the desktop entry rules, in their order: the file's string
// escapes, then one double-quoted argument with \" \` \$ \\ inside, then %% as a literal %.
// Anything else (a stray quote, an unknown escape, a field code) gives an empty optional.
std::optional<QString> readExecBack(const QString& fileValue) {
    QString value;
    for (qsizetype i = 0; i < fileValue.size(); ++i) {
        QChar c = fileValue[i];
        if (c == QLatin1Char('\\')) {
            if (++i == fileValue.size())
                return std::nullopt;
            const char e = fileValue[i].toLatin1();
            c = e == 's'    ? QChar(' ')
                : e == 'n'  ? QChar('\n')
                : e == 't'  ? QChar('\t')
                : e == 'r'  ? QChar('\r')
                : e == '\\' ? QChar('\\')
                            : QChar();
            if (c.isNull())
                return std::nullopt;
        }
        value += c;
    }
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
        !value.endsWith(QLatin1Char('"')))
        return std::nullopt;
    QString argument;
    for (qsizetype i = 1; i < value.size() - 1; ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\')) {
            const QChar next = value[++i];
            if (!u"\"`$\\"_qs.contains(next) || i == value.size() - 1)
                return std::nullopt;
            argument += next;
        } else if (u"\"`$"_qs.contains(c)) {
            return std::nullopt;
        } else {
            argument += c;
        }
    }
    QString path;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] == QLatin1Char('%')) {
            if (i + 1 == argument.size() || argument[i + 1] != QLatin1Char('%'))
                return std::nullopt;
            ++i;
        }
        path += argument[i];
    }
    return path;
}

} // namespace

class tst_AssociationStrings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void separatorRule() {
        const auto root = buildAssociation(u"/"_qs, u"notavo"_qs);
        QCOMPARE(root.iconPath, u"/notavo_logo.ico"_qs);
        QCOMPARE(root.openCommand.value(), u"\"/notavo\""_qs);
        const auto plain = buildAssociation(u"/opt/notavo"_qs, u"notavo"_qs);
        QCOMPARE(plain.iconPath, u"/opt/notavo/notavo_logo.ico"_qs);
        QCOMPARE(plain.openCommand.value(), u"\"/opt/notavo/notavo\""_qs);
        // Spaces stay inside the one quoted word; the icon path is never quoted.
        const auto spaced = buildAssociation(u"/home/ann/My Programs"_qs, u"notavo"_qs);
        QCOMPARE(spaced.iconPath, u"/home/ann/My Programs/notavo_logo.ico"_qs);
        QCOMPARE(spaced.openCommand.value(), u"\"/home/ann/My Programs/notavo\""_qs);
    }

    void execQuotingReadsBackToThePath() {
        const QStringList folders{
            u"/"_qs,
            u"/usr/lib/notavo"_qs,
            u"/home/ann/My Programs"_qs,
            u"/tmp/say \"hi\" 'there'"_qs,
            u"/tmp/$HOME/`id`/$(reboot)"_qs,
            u"/tmp/100%/%f %u %%"_qs,
            u"/tmp/back\\slash\\\\two\\"_qs,
            u"/tmp/a;b|c&d<e>f*g?h#i~j"_qs,
            QString::fromUtf8("/home/j\xc3\xb6rg/\xe2\x82\xac"),
        };
        for (const QString& folder : folders) {
            const auto strings = buildAssociation(folder, u"notavo"_qs);
            QVERIFY2(strings.openCommand, qPrintable(folder));
            const auto line = DesktopEntryText::escapeValue(*strings.openCommand);
            QVERIFY(line);
            QCOMPARE(readExecBack(*line).value_or(u"<unreadable>"_qs),
                     joinProgramFolder(folder, u"notavo"_qs));
        }
        // Both levels at once, as the line stands in the file.
        const auto odd = buildAssociation(u"/a b/$x%\"q\\"_qs, u"notavo"_qs);
        QCOMPARE(DesktopEntryText::escapeValue(*odd.openCommand).value(),
                 u"\"/a b/\\\\$x%%\\\\\"q\\\\\\\\/notavo\""_qs);
        QCOMPARE(DesktopEntryText::escapeValue(odd.iconPath).value(),
                 u"/a b/$x%\"q\\\\/notavo_logo.ico"_qs);
        // A line break or other control character cannot be carried: no command at all.
        QVERIFY(!buildAssociation(u"/tmp/two\nlines"_qs, u"notavo"_qs).openCommand);
        QVERIFY(!buildAssociation(u"/tmp/tab\there"_qs, u"notavo"_qs).openCommand);
        QVERIFY(!DesktopEntryText::escapeValue(u"a\rb"_qs));
    }

    void associationStepsInOrder() {
        TestPlatform t;
        associateDocumentType(t.platform, u"/opt/My Notavo/notavo"_qs);
        QCOMPARE(t.fileTypes.calls,
                 QStringList({
                     u"addExtension|.nv|NotavoTextFile|Notavo Protocol File"_qs,
                     u"describeType|NotavoTextFile|Notavo Text File"_qs,
                     u"setTypeIcon|NotavoTextFile|/opt/My Notavo/notavo_logo.ico"_qs,
                     u"setOpenCommand|NotavoTextFile|\"/opt/My Notavo/notavo\""_qs,
                     u"commit"_qs,
                 }));
        // Failing steps do not stop the later ones; an inexpressible command is left out.
        TestPlatform failing;
        failing.fileTypes.succeed = false;
        associateDocumentType(failing.platform, u"/opt/two\nlines/notavo"_qs);
        QCOMPARE(failing.fileTypes.calls.size(), 4);
        QCOMPARE(failing.fileTypes.calls.last(), u"commit"_qs);
        QVERIFY(!failing.fileTypes.calls.join(QLatin1Char(' ')).contains(QLatin1String("setOpen")));
        QVERIFY(failing.messages.calls.isEmpty());
    }

    void mimeAppsListKeepsOtherLines() {
        using DesktopEntryText::withDefaultApplication;
        const QString mime = u"application/x-notavo"_qs;
        const QString id = u"notavo-nv.desktop"_qs;
        QCOMPARE(withDefaultApplication(QString(), mime, id),
                 u"[Default Applications]\napplication/x-notavo=notavo-nv.desktop;\n"
                 "\n[Added Associations]\napplication/x-notavo=notavo-nv.desktop;\n"_qs);
        const QString existing = u"[Added Associations]\n"
                                 "application/x-notavo=gedit.desktop;\n"
                                 "\n"
                                 "[Default Applications]\n"
                                 "text/plain=gedit.desktop;\n"
                                 "application/x-notavo=old.desktop;\n"
                                 "\n"
                                 "[Removed Associations]\n"
                                 "image/png=gimp.desktop;\n"_qs;
        const QString once = withDefaultApplication(existing, mime, id);
        QCOMPARE(once, u"[Added Associations]\n"
                       "application/x-notavo=notavo-nv.desktop;gedit.desktop;\n"
                       "\n"
                       "[Default Applications]\n"
                       "text/plain=gedit.desktop;\n"
                       "application/x-notavo=notavo-nv.desktop;\n"
                       "\n"
                       "[Removed Associations]\n"
                       "image/png=gimp.desktop;\n"_qs);
        QCOMPARE(withDefaultApplication(once, mime, id), once);
    }
};

QTEST_GUILESS_MAIN(tst_AssociationStrings)
#include "tst_associationstrings.moc"
