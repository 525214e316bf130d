#include "fakes/TestPlatform.h"
#include "firstrun/frmFirstTime.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class tst_frmFirstTime : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void welcomeWindowCaptionsAndFocus();
    void associationOnlyWhenTickedThenStartOrCloseBox();
    void onlyAZeroFlagSkipsTheWelcome();
};

void tst_frmFirstTime::welcomeWindowCaptionsAndFocus() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    w.load(); // that it shows and clears the flag at once: e2e/test_firstrun.sh
    QCOMPARE(QStringList({w.windowTitle(), w.findChild<QLabel*>("lblTitle")->text(),
                          w.findChild<QLabel*>("lblDescription")->text(),
                          w.findChild<QGroupBox*>("Settings")->title(), w.addextensions()->text(),
                          w.cStartNotavo()->text()}),
             QStringList({"Welcome to Notavo", "Welcome to Notavo!",
                          "Notavo is an easy to use note pad, to store snippets, phone numbers, "
                          "email addresses, all kinds of information.",
                          "Settings", "Associate .nv with Notavo", "Start"}));
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!w.addextensions()->isChecked());
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.cStartNotavo());
    QTest::keyClick(w.cStartNotavo(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.addextensions());
}

void tst_frmFirstTime::associationOnlyWhenTickedThenStartOrCloseBox() {
    for (const auto& [tick, start] : {std::pair{true, true}, {false, true}, {false, false}}) {
        TestPlatform t;
        frmFirstTime w(t.platform, t.settings);
        QSignalSpy started(&w, &frmFirstTime::startMain);
        QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
        w.load();
        if (tick) {
            QTest::mouseClick(w.addextensions(), Qt::LeftButton);
            QTest::mouseClick(w.addextensions(), Qt::LeftButton); // greyed: cannot be unticked
            QVERIFY(w.addextensions()->isChecked() && !w.addextensions()->isEnabled());
        }
        t.store("data", "firsttime", "1"); // Start writes the flag again whatever it holds now
        if (start)
            QTest::mouseClick(w.cStartNotavo(), Qt::LeftButton);
        else
            w.close();
        QCOMPARE(started.count(), start ? 1 : 0);
        QCOMPARE(ended.count(), start ? 0 : 1);
        QVERIFY(!w.isVisible());
        QCOMPARE(t.setting("data", "firsttime"), start ? u"0"_qs : u"1"_qs);
        // Written once at the tick, never by Start; its steps are checked in
        // tst_associationstrings.
        QCOMPARE(t.fileTypes.calls.count(u"commit"_qs), tick ? 1 : 0);
        QCOMPARE(t.fileTypes.calls.isEmpty(), !tick);
        QVERIFY(t.messages.calls.isEmpty());
    }
}

void tst_frmFirstTime::onlyAZeroFlagSkipsTheWelcome() {
    for (const char* value : {"0", "1", "2", "-1", "no", "", "0.0"}) {
        const bool later = QByteArray(value) == "0";
        TestPlatform t;
        t.store("data", "firsttime", QString::fromLatin1(value));
        frmFirstTime w(t.platform, t.settings);
        QSignalSpy start(&w, &frmFirstTime::startMain);
        QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
        w.load();
        QVERIFY2(w.isVisible() != later, value);
        QCOMPARE(start.count(), later ? 1 : 0);
        QCOMPARE(t.setting("data", "firsttime"), u"0"_qs);
        w.close();
        QCOMPARE(ended.count(), later ? 0 : 1);
    }
}

QTEST_MAIN(tst_frmFirstTime)
#include "tst_frmfirsttime.moc"
