#include "firstrun/AssociationStrings.h"
#include "firstrun/FileAssociation.h"
#include "platform/DesktopEntryText.h"

#include "fakes/TestPlatform.h"

#include <QTest>

// How the quoting reads back is proved by GLib's own launcher in tst_fileassociation and, for
// any path, by fuzz_exec; here the steps and the lines the files hold.
class tst_AssociationStrings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void associationFromAnyFolderAndFailingSteps() {
        // A program in the root folder: no doubled separator.
        const auto root = buildAssociation(u"/"_qs, u"notavo"_qs);
        QCOMPARE(root.iconPath + u' ' + root.openCommand.value(),
                 u"/notavo_logo.ico \"/notavo\""_qs);
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
        // Ours goes first among the added ones and replaces the old default; the rest stays.
        const QString once = withDefaultApplication(existing, mime, id);
        QCOMPARE(once, QString(existing)
                           .replace(u"=gedit.desktop;\n\n"_qs,
                                    u"=notavo-nv.desktop;gedit.desktop;\n\n"_qs)
                           .replace(u"=old.desktop"_qs, u"=notavo-nv.desktop"_qs));
        QCOMPARE(withDefaultApplication(once, mime, id), once);
    }
};

QTEST_GUILESS_MAIN(tst_AssociationStrings)
#include "tst_associationstrings.moc"
