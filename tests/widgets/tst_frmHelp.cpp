#include "dialogs/frmHelp.h"
#include "fakes/TestPlatform.h"
#include "wiring/MainWindow.h"

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
    MainWindow w(t.platform, t.settings);
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
    QCOMPARE(help->minimumSize(), help->maximumSize());
    QVERIFY(!(help->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(help->hlpList()->selectedItems().isEmpty());
    help->hlpViewTopic()->click(); // nothing selected
    QCOMPARE(help->hlpTxt()->text(), u"Choose a topic"_qs);

    // Each topic shows its own text, character for character.
    QStringList texts;
    for (int i = 0; i < 5; ++i) {
        help->hlpList()->setCurrentRow(i);
        help->hlpViewTopic()->click();
        texts << help->hlpTxt()->text();
    }
    QCOMPARE(texts,
             QStringList(
                 {"To get started using notavo, you should start by clicking 'File -> New File' to "
                  "begin. Once you have a new file opened, you can type into the text box, then "
                  "save or print when your done.",
                  "A new file is easy, just go to 'File -> New File' and your done",
                  "To print your text, go to 'File -> Print' and then select which printer to "
                  "print from, and the other details. Then click OK.",
                  "To save your file, go to 'File -> Save' or Ctrl+S to save it, then press Ctrl+S "
                  "or 'File -> Save' to save it again, without having to specify the directory. If "
                  "you saved it to somewhere, and you want to save it to somewhere else, click "
                  "'File -> Save As'.",
                  "AutoSave is a quick option, to save your text every minute, incase something "
                  "happens."}));
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
