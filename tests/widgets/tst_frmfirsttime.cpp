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
    void startOpensMainWindow();
    void associationBoxTicksOnce();
    void closeBoxEndsProgram();
    void laterRunsGoStraightToMainWindow();
    void flagThatIsNotZeroMeansFirstRun_data();
    void flagThatIsNotZeroMeansFirstRun();
};

void tst_frmFirstTime::firstRunShowsWelcomeAndClearsFlagAtOnce() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    w.load();
    QVERIFY(w.isVisible());
    QCOMPARE(start.count(), 0);
    QCOMPARE(t.setting("data", "firsttime"), QStringLiteral("0")); // before anything is touched
    QCOMPARE(w.windowTitle(), QStringLiteral("Welcome to Notavo"));
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Welcome to Notavo!"));
    QCOMPARE(w.findChild<QLabel*>("lblDescription")->text(),
             QStringLiteral("Notavo is an easy to use note pad, to store snippets, phone numbers, "
                            "email addresses, all kinds of information."));
    QCOMPARE(w.findChild<QGroupBox*>("Settings")->title(), QStringLiteral("Settings"));
    QCOMPARE(w.addextensions()->text(), QStringLiteral("Associate .nv with Notavo"));
    QVERIFY(!w.addextensions()->isChecked());
    QCOMPARE(w.cStartNotavo()->text(), QStringLiteral("Start"));
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.cStartNotavo());
    QTest::keyClick(w.cStartNotavo(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.addextensions());
}

void tst_frmFirstTime::startOpensMainWindow() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
    w.load();
    t.store("data", "firsttime", "1"); // Start writes the flag again whatever it holds now
    QTest::mouseClick(w.cStartNotavo(), Qt::LeftButton);
    QCOMPARE(start.count(), 1);
    QCOMPARE(ended.count(), 0);
    QVERIFY(!w.isVisible());
    QCOMPARE(t.setting("data", "firsttime"), QStringLiteral("0"));
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

void tst_frmFirstTime::closeBoxEndsProgram() {
    TestPlatform t;
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
    w.load();
    w.close();
    QCOMPARE(start.count(), 0);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(t.setting("data", "firsttime"), QStringLiteral("0"));
}

void tst_frmFirstTime::laterRunsGoStraightToMainWindow() {
    TestPlatform t;
    t.store("data", "firsttime", "0");
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    QSignalSpy ended(&w, &frmFirstTime::closedWithoutStart);
    w.load();
    QCOMPARE(start.count(), 1);
    QVERIFY(!w.isVisible());
    w.close();
    QCOMPARE(ended.count(), 0);
}

void tst_frmFirstTime::flagThatIsNotZeroMeansFirstRun_data() {
    QTest::addColumn<QString>("stored");
    for (const char* value : {"1", "2", "-1", "no", "", "0.0"})
        QTest::newRow(value) << QString::fromLatin1(value);
}

void tst_frmFirstTime::flagThatIsNotZeroMeansFirstRun() {
    QFETCH(QString, stored);
    TestPlatform t;
    t.store("data", "firsttime", stored);
    frmFirstTime w(t.platform, t.settings);
    QSignalSpy start(&w, &frmFirstTime::startMain);
    w.load();
    QVERIFY(w.isVisible());
    QCOMPARE(start.count(), 0);
    QCOMPARE(t.setting("data", "firsttime"), QStringLiteral("0"));
}

QTEST_MAIN(tst_frmFirstTime)
#include "tst_frmfirsttime.moc"
