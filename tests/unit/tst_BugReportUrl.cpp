#include "dialogs/BugReportUrl.h"

#include <QtTest>

// The fixed parts; what any typed text becomes is checked by fuzz_mailto, replayed in ctest.
class tst_BugReportUrl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedParts();
};

void tst_BugReportUrl::fixedParts() {
    const QString mailbox = u"bugs@notavo.invalid"_qs;
    QCOMPARE(bugReportUrl(mailbox, {}, {}, {}),
             u"mailto:bugs@notavo.invalid?subject=Bug Report From: . ID: &body="_qs);
    QCOMPARE(bugReportUrl(mailbox, u"None"_qs, u"13"_qs, {}),
             u"mailto:bugs@notavo.invalid?subject=Bug Report From: None. ID: 13&body="_qs);
}

QTEST_GUILESS_MAIN(tst_BugReportUrl)
#include "tst_BugReportUrl.moc"
