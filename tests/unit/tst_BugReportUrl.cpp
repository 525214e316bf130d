#include "dialogs/BugReportUrl.h"

#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

class tst_BugReportUrl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedPartsInOrder();
    void userTextCannotBreakTheUrl();
};

void tst_BugReportUrl::fixedPartsInOrder() {
    const QString mailbox = QStringLiteral("bugs@notavo.invalid");
    QCOMPARE(bugReportUrl(mailbox, {}, {}, {}),
             QStringLiteral("mailto:bugs@notavo.invalid?subject=Bug Report From: . ID: &body="));
    QCOMPARE(
        bugReportUrl(mailbox, QStringLiteral("None"), QStringLiteral("13"), {}),
        QStringLiteral("mailto:bugs@notavo.invalid?subject=Bug Report From: None. ID: 13&body="));
    // Line breaks arrive as CR LF, as a mail body needs them.
    QCOMPARE(bugReportUrl(mailbox, {}, {}, QStringLiteral("one\ntwo\r\nthree")),
             QStringLiteral("mailto:bugs@notavo.invalid?subject=Bug Report From: . ID: "
                            "&body=one%0D%0Atwo%0D%0Athree"));
}

void tst_BugReportUrl::userTextCannotBreakTheUrl() {
    const QString description = QStringLiteral("a&cc=x@y.z?#50% = bad\nnext line é");
    const QString reporter = QStringLiteral("me&bcc=you@x.y");
    const QString url = bugReportUrl(QStringLiteral("bugs@notavo.invalid"), reporter,
                                     QStringLiteral("7&8"), description);
    QCOMPARE(url.count(QLatin1Char('&')), 1);
    QCOMPARE(url.count(QLatin1Char('?')), 1);
    QVERIFY(!url.contains(QLatin1Char('#')));
    QVERIFY(url.contains(QStringLiteral("%C3%A9"))); // UTF-8

    // A mail program decodes the parts back to exactly what was typed.
    const QUrl parsed(url);
    QCOMPARE(parsed.scheme(), QStringLiteral("mailto"));
    QCOMPARE(parsed.path(), QStringLiteral("bugs@notavo.invalid"));
    const QUrlQuery query(parsed);
    QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 2);
    QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Bug Report From: me&bcc=you@x.y. ID: 7&8"));
    QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
             QStringLiteral("a&cc=x@y.z?#50% = bad\r\nnext line é"));
}

QTEST_GUILESS_MAIN(tst_BugReportUrl)
#include "tst_BugReportUrl.moc"
