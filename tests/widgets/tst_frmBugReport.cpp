#include "app/frmMain.h"
#include "dialogs/frmBugReport.h"
#include "fakes/TestPlatform.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using Box = FakeMessageBox::Call;

class tst_frmBugReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowAndTabOrder();
    void why();
    void continueHandsOverAndCloses();
};

namespace {
frmBugReport* openReport(frmMain& w) {
    w.action(u"mnuHelpR_A_B"_qs)->trigger();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* report = qobject_cast<frmBugReport*>(top); report && report->isVisible())
            return report;
    return nullptr;
}
} // namespace

void tst_frmBugReport::windowAndTabOrder() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    w.show();
    frmBugReport* report = openReport(w);
    QVERIFY(report);
    QCOMPARE(report->windowTitle(), u"Report A Bug"_qs);
    QVERIFY(!report->parentWidget());
    QVERIFY(report->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(report->minimumSize(), report->maximumSize());
    QCOMPARE(report->cmdContinue()->text(), u"Continue"_qs);
    QCOMPARE(report->cmdWhy()->text(), u"Why?"_qs);
    QCOMPARE(report->txtBug()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QApplication::setActiveWindow(report);
    QTRY_COMPARE(QApplication::focusWidget(), report->txtID());
    const QList<QWidget*> order = {report->cmdContinue(), report->cmdWhy(), report->txtName(),
                                   report->txtBug(), report->txtID()};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    // Opening it again while it is open keeps what was typed.
    report->txtID()->setText(u"13"_qs);
    QCOMPARE(openReport(w), report);
    QCOMPARE(report->txtID()->text(), u"13"_qs);
    report->close();
}

void tst_frmBugReport::why() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    frmBugReport* report = openReport(w);
    report->cmdWhy()->click();
    report->cmdWhy()->click();
    const QString first =
        u"If you choose to supply your email, you will be listed in the credits as a bug reporter."_qs;
    const QString second = u"If you do not want to put your email, leave it blank or put None."_qs;
    const Box one{first, "Notavo", QMessageBox::Ok, QMessageBox::NoIcon};
    const Box two{second, "Notavo", QMessageBox::Ok, QMessageBox::NoIcon};
    QCOMPARE(t.messages.calls, QList({one, two, one, two}));
    QVERIFY(report->isVisible());
    report->close();
}

void tst_frmBugReport::continueHandsOverAndCloses() {
    TestPlatform t;
    frmMain w(t.platform, t.settings);
    QPointer<frmBugReport> report = openReport(w);
    report->txtName()->setText(u"None"_qs);
    report->txtID()->setText(u"13"_qs);
    report->txtBug()->setPlainText(u"crash & burn?\nline two"_qs);
    report->cmdContinue()->click();
    QCOMPARE(t.shell.urls, QStringList{QLatin1String("mailto:") + frmBugReport::BugReportAddress() +
                                       u"?subject=Bug Report From: None. ID: 13"
                                       "&body=crash%20%26%20burn%3F%0D%0Aline%20two"_qs});
    QVERIFY(t.messages.calls.isEmpty());
    QTRY_VERIFY(!report);

    // A failed hand-over says so and closes all the same; the next window starts empty.
    t.shell.openSucceeds = false;
    report = openReport(w);
    QVERIFY(report->txtID()->text().isEmpty());
    report->txtBug()->setPlainText(u"lost"_qs);
    report->cmdContinue()->click();
    QCOMPARE(t.shell.urls.size(), 2);
    QCOMPARE(t.messages.calls, QList({Box{"Error: Bug send failed, please try again.", "Notavo",
                                          QMessageBox::Ok, QMessageBox::Critical}}));
    QTRY_VERIFY(!report);
    report = openReport(w);
    QVERIFY(report->txtBug()->toPlainText().isEmpty());
    report->close();
}

QTEST_MAIN(tst_frmBugReport)
#include "tst_frmBugReport.moc"
