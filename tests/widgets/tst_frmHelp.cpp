#include "app/frmMain.h"
#include "basics/Twips.h"
#include "dialogs/frmHelp.h"
#include "fakes/TestPlatform.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class tst_frmHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlyTheButtonShowsATopicInOneWindowAtATime();
};

void tst_frmHelp::onlyTheButtonShowsATopicInOneWindowAtATime() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    w.action(u"mnuHelpHelpTopics"_qs)->trigger();
    frmHelp* help = w.findChild<frmHelp*>();
    QVERIFY(help && help->isVisible() && !help->isModal());
    QStringList names;
    for (int i = 0; i < help->hlpList()->count(); ++i)
        names << help->hlpList()->item(i)->text();
    QCOMPARE(QStringList({help->windowTitle(), help->hlpViewTopic()->text(), help->hlpTxt()->text(),
                          names.join(u", "_qs)}),
             QStringList({"Notavo Help Topics", "View Selected Topic", "Choose a topic",
                          "Getting Started, New File, Printing, Saving, AutoSave"}));
    QCOMPARE(help->size(), QSize(twips(6405), twips(1890)));
    QCOMPARE(help->minimumSize(), help->maximumSize());
    QVERIFY(!(help->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(help->hlpList()->selectedItems().isEmpty());
    help->hlpViewTopic()->click(); // nothing selected
    QCOMPARE(help->hlpTxt()->text(), u"Choose a topic"_qs);

    const QStringList texts = {
        u"To get started using notavo, you should start by clicking 'File -> New "
        "File' to begin. Once you have a new file opened, you can type into the "
        "text box, then save or print when your done."_qs,
        u"A new file is easy, just go to 'File -> New File' and your done"_qs,
        u"To print your text, go to 'File -> Print' and then select which printer "
        "to print from, and the other details. Then click OK."_qs,
        u"To save your file, go to 'File -> Save' or Ctrl+S to save it, then press "
        "Ctrl+S or 'File -> Save' to save it again, without having to specify the "
        "directory. If you saved it to somewhere, and you want to save it to "
        "somewhere else, click 'File -> Save As'."_qs,
        u"AutoSave is a quick option, to save your text every minute, incase "
        "something happens."_qs,
    };
    for (int i = 0; i < 5; ++i) {
        help->hlpList()->setCurrentRow(i);
        help->hlpViewTopic()->click();
        QCOMPARE(help->hlpTxt()->text(), texts.at(i));
    }
    // Choosing or double-clicking another entry alone keeps the last topic.
    help->hlpList()->setCurrentRow(1);
    const QRect entry = help->hlpList()->visualItemRect(help->hlpList()->item(1));
    QTest::mouseDClick(help->hlpList()->viewport(), Qt::LeftButton, {}, entry.center());
    QCOMPARE(help->hlpTxt()->text(), texts.at(4));

    w.action(u"mnuHelpHelpTopics"_qs)->trigger(); // the same window, as it was
    QCOMPARE(w.findChildren<frmHelp*>(), QList({help}));
    QCOMPARE(help->hlpList()->currentRow(), 1);
    QCOMPARE(help->hlpTxt()->text(), texts.at(4));
    QPointer<frmHelp> closed = help;
    help->close();
    QTRY_VERIFY(!closed);
    w.action(u"mnuHelpHelpTopics"_qs)->trigger();
    QCOMPARE(w.findChild<frmHelp*>()->hlpTxt()->text(), u"Choose a topic"_qs);
}

QTEST_MAIN(tst_frmHelp)
#include "tst_frmHelp.moc"
