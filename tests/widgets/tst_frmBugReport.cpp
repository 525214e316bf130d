#include "dialogs/BugReportUrl.h"
#include "dialogs/frmBugReport.h"
#include "fakes/TestPlatform.h"
#include "platform/Shell.h"
#include "wiring/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using Box = FakeMessageBox::Call;

class tst_frmBugReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowTabOrderAndWhy();
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

void tst_frmBugReport::windowTabOrderAndWhy() {
    TestPlatform t;
    MainWindow w(t.platform, t.settings);
    w.show();
    frmBugReport* report = openReport(w);
    QVERIFY(report && !report->parentWidget() && report->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(QStringList(
                 {report->windowTitle(), report->cmdContinue()->text(), report->cmdWhy()->text()}),
             QStringList({"Report A Bug", "Continue", "Why?"}));
    QCOMPARE(report->minimumSize(), report->maximumSize());
    QApplication::setActiveWindow(report);
    QTRY_COMPARE(QApplication::focusWidget(), report->txtID());
    for (QWidget* next : QList<QWidget*>{report->cmdContinue(), report->cmdWhy(), report->txtName(),
                                         report->txtBug(), report->txtID()}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    report->cmdWhy()->click(); // twice: the pair each time, in order, and the window stays
    report->cmdWhy()->click();
    const Box one{"If you choose to supply your email, you will be listed in the credits as a "
                  "bug reporter.",
                  "Notavo", QMessageBox::Ok, QMessageBox::NoIcon};
    const Box two{"If you do not want to put your email, leave it blank or put None.", "Notavo",
                  QMessageBox::Ok, QMessageBox::NoIcon};
    QCOMPARE(t.messages.calls, QList({one, two, one, two}));

    // Opening it again while it is open keeps what was typed.
    report->txtID()->setText(u"13"_qs);
    QCOMPARE(openReport(w), report);
    QCOMPARE(report->txtID()->text(), u"13"_qs);
    report->close();
}

void tst_frmBugReport::continueHandsOverAndCloses() {
    // The program's own hand-over to xdg-open, which a script first on PATH plays: it keeps the
    // URL and answers 0 (a mail program took it), then 3 (none is set up).
    QTemporaryDir bin;
    const QString url = bin.filePath(u"url"_qs);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
    QFile script(bin.filePath(u"xdg-open"_qs));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/url\"\nexit $STATUS\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    TestPlatform t;
    QtShell shell;
    t.platform.shell = &shell;
    MainWindow w(t.platform, t.settings);
    for (const char* status : {"0", "3"}) {
        qputenv("STATUS", status);
        QPointer<frmBugReport> report = openReport(w);
        QVERIFY(report->txtID()->text().isEmpty() && report->txtBug()->toPlainText().isEmpty());
        report->txtName()->setText(u"None"_qs);
        report->txtID()->setText(u"13"_qs);
        report->txtBug()->setPlainText(u"crash & burn?\nline two"_qs);
        report->cmdContinue()->click();
        QFile handed(url);
        QVERIFY(handed.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(handed.readAll()),
                 bugReportUrl(frmBugReport::BugReportAddress(), u"None"_qs, u"13"_qs,
                              u"crash & burn?\nline two"_qs));
        QVERIFY(handed.remove());
        // A failed hand-over says so; the window closes either way.
        QCOMPARE(t.messages.calls,
                 *status == '3' ? QList({Box{"Error: Bug send failed, please try again.", "Notavo",
                                             QMessageBox::Ok, QMessageBox::Critical}})
                                : QList<Box>());
        QTRY_VERIFY(!report);
    }
    qputenv("PATH", savedPath);
    qunsetenv("STATUS");
}

QTEST_MAIN(tst_frmBugReport)
#include "tst_frmBugReport.moc"
