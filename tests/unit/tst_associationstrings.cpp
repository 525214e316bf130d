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
            if (!QStringLiteral("\"`$\\").contains(next) || i == value.size() - 1)
                return std::nullopt;
            argument += next;
        } else if (QStringLiteral("\"`$").contains(c)) {
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
        const auto root = buildAssociation(QStringLiteral("/"), QStringLiteral("notavo"));
        QCOMPARE(root.iconPath, QStringLiteral("/notavo_logo.ico"));
        QCOMPARE(root.openCommand.value(), QStringLiteral("\"/notavo\""));
        const auto plain =
            buildAssociation(QStringLiteral("/opt/notavo"), QStringLiteral("notavo"));
        QCOMPARE(plain.iconPath, QStringLiteral("/opt/notavo/notavo_logo.ico"));
        QCOMPARE(plain.openCommand.value(), QStringLiteral("\"/opt/notavo/notavo\""));
        // Spaces stay inside the one quoted word; the icon path is never quoted.
        const auto spaced =
            buildAssociation(QStringLiteral("/home/ann/My Programs"), QStringLiteral("notavo"));
        QCOMPARE(spaced.iconPath, QStringLiteral("/home/ann/My Programs/notavo_logo.ico"));
        QCOMPARE(spaced.openCommand.value(), QStringLiteral("\"/home/ann/My Programs/notavo\""));
    }

    void execQuotingReadsBackToThePath() {
        const QStringList folders{
            QStringLiteral("/"),
            QStringLiteral("/usr/lib/notavo"),
            QStringLiteral("/home/ann/My Programs"),
            QStringLiteral("/tmp/say \"hi\" 'there'"),
            QStringLiteral("/tmp/$HOME/`id`/$(reboot)"),
            QStringLiteral("/tmp/100%/%f %u %%"),
            QStringLiteral("/tmp/back\\slash\\\\two\\"),
            QStringLiteral("/tmp/a;b|c&d<e>f*g?h#i~j"),
            QString::fromUtf8("/home/j\xc3\xb6rg/\xe2\x82\xac"),
        };
        for (const QString& folder : folders) {
            const auto strings = buildAssociation(folder, QStringLiteral("notavo"));
            QVERIFY2(strings.openCommand, qPrintable(folder));
            const auto line = DesktopEntryText::escapeValue(*strings.openCommand);
            QVERIFY(line);
            QCOMPARE(readExecBack(*line).value_or(QStringLiteral("<unreadable>")),
                     joinProgramFolder(folder, QStringLiteral("notavo")));
        }
        // Both levels at once, as the line stands in the file.
        const auto odd =
            buildAssociation(QStringLiteral("/a b/$x%\"q\\"), QStringLiteral("notavo"));
        QCOMPARE(DesktopEntryText::escapeValue(*odd.openCommand).value(),
                 QStringLiteral("\"/a b/\\\\$x%%\\\\\"q\\\\\\\\/notavo\""));
        QCOMPARE(DesktopEntryText::escapeValue(odd.iconPath).value(),
                 QStringLiteral("/a b/$x%\"q\\\\/notavo_logo.ico"));
        // A line break or other control character cannot be carried: no command at all.
        QVERIFY(!buildAssociation(QStringLiteral("/tmp/two\nlines"), QStringLiteral("notavo"))
                     .openCommand);
        QVERIFY(!buildAssociation(QStringLiteral("/tmp/tab\there"), QStringLiteral("notavo"))
                     .openCommand);
        QVERIFY(!DesktopEntryText::escapeValue(QStringLiteral("a\rb")));
    }

    void associationStepsInOrder() {
        TestPlatform t;
        associateDocumentType(t.platform, QStringLiteral("/opt/My Notavo/notavo"));
        QCOMPARE(t.fileTypes.calls,
                 QStringList({
                     QStringLiteral("addExtension|.nv|NotavoTextFile|Notavo Protocol File"),
                     QStringLiteral("describeType|NotavoTextFile|Notavo Text File"),
                     QStringLiteral("setTypeIcon|NotavoTextFile|/opt/My Notavo/notavo_logo.ico"),
                     QStringLiteral("setOpenCommand|NotavoTextFile|\"/opt/My Notavo/notavo\""),
                     QStringLiteral("commit"),
                 }));
        // Failing steps do not stop the later ones; an inexpressible command is left out.
        TestPlatform failing;
        failing.fileTypes.succeed = false;
        associateDocumentType(failing.platform, QStringLiteral("/opt/two\nlines/notavo"));
        QCOMPARE(failing.fileTypes.calls.size(), 4);
        QCOMPARE(failing.fileTypes.calls.last(), QStringLiteral("commit"));
        QVERIFY(!failing.fileTypes.calls.join(QLatin1Char(' ')).contains(QLatin1String("setOpen")));
        QVERIFY(failing.messages.calls.isEmpty());
    }

    void mimeAppsListKeepsOtherLines() {
        using DesktopEntryText::withDefaultApplication;
        const QString mime = QStringLiteral("application/x-notavo");
        const QString id = QStringLiteral("notavo-nv.desktop");
        QCOMPARE(
            withDefaultApplication(QString(), mime, id),
            QStringLiteral("[Default Applications]\napplication/x-notavo=notavo-nv.desktop;\n"
                           "\n[Added Associations]\napplication/x-notavo=notavo-nv.desktop;\n"));
        const QString existing = QStringLiteral("[Added Associations]\n"
                                                "application/x-notavo=gedit.desktop;\n"
                                                "\n"
                                                "[Default Applications]\n"
                                                "text/plain=gedit.desktop;\n"
                                                "application/x-notavo=old.desktop;\n"
                                                "\n"
                                                "[Removed Associations]\n"
                                                "image/png=gimp.desktop;\n");
        const QString once = withDefaultApplication(existing, mime, id);
        QCOMPARE(once, QStringLiteral("[Added Associations]\n"
                                      "application/x-notavo=notavo-nv.desktop;gedit.desktop;\n"
                                      "\n"
                                      "[Default Applications]\n"
                                      "text/plain=gedit.desktop;\n"
                                      "application/x-notavo=notavo-nv.desktop;\n"
                                      "\n"
                                      "[Removed Associations]\n"
                                      "image/png=gimp.desktop;\n"));
        QCOMPARE(withDefaultApplication(once, mime, id), once);
    }
};

QTEST_GUILESS_MAIN(tst_AssociationStrings)
#include "tst_associationstrings.moc"
