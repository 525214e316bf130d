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
    void firstRunShowsWelcomeAndClearsFlagAtOnce();
    void startOrCloseBoxEndTheWelcome();
    void associationBoxTicksOnce();
    void onlyAZeroFlagSkipsTheWelcome();
};

void tst_frmFirstTime::firstRunShowsWelcomeAndClearsFlagAtOnce() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    w.load();
    QVERIFY(w.isVisible());
    QCOMPARE(start.count(), 0);
    QCOMPARE(t.setting("data", "firsttime"), u"0"_qs); // before anything is touched
    QCOMPARE(w.windowTitle(), u"Welcome to Notavo"_qs);
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.findChild<QLabel*>("lblTitle")->text(), u"Welcome to Notavo!"_qs);
    QCOMPARE(w.findChild<QLabel*>("lblDescription")->text(),
             u"Notavo is an easy to use note pad, to store snippets, phone numbers, "
             "email addresses, all kinds of information."_qs);
    QCOMPARE(w.findChild<QGroupBox*>("Settings")->title(), u"Settings"_qs);
    QCOMPARE(w.addextensions()->text(), u"Associate .nv with Notavo"_qs);
    QVERIFY(!w.addextensions()->isChecked());
    QCOMPARE(w.cStartNotavo()->text(), u"Start"_qs);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.cStartNotavo());
    QTest::keyClick(w.cStartNotavo(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.addextensions());
}

void tst_frmFirstTime::startOrCloseBoxEndTheWelcome() {
    for (const bool start : {true, false}) {
        TestPlatform t;
        frmFirstTime w(t.platform, t.settings);
        QSignalSpy started(&w, &frmFirstTime::startMain);
        QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
        w.load();
        t.store("data", "firsttime", "1"); // Start writes the flag again whatever it holds now
        if (start)
            QTest::mouseClick(w.cStartNotavo(), Qt::LeftButton);
        else
            w.close();
        QCOMPARE(started.count(), start ? 1 : 0);
        QCOMPARE(ended.count(), start ? 0 : 1);
        QVERIFY(!w.isVisible());
        QCOMPARE(t.setting("data", "firsttime"), start ? u"0"_qs : u"1"_qs);
    }
}

void tst_frmFirstTime::associationBoxTicksOnce() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    w.load();
    QTest::mouseClick(w.addextensions(), Qt::LeftButton);
    QVERIFY(w.addextensions()->isChecked());
    QVERIFY(!w.addextensions()->isEnabled());
    QTest::mouseClick(w.addextensions(), Qt::LeftButton); // greyed: cannot be unticked
    QVERIFY(w.addextensions()->isChecked());
    QVERIFY(t.messages.calls.isEmpty());
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
