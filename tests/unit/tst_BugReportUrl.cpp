#include "dialogs/BugReportUrl.h"

#include <QUrl>
#include <QUrlQuery>
#include <QtTest>

class tst_BugReportUrl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedPartsAndUserText();
};

void tst_BugReportUrl::fixedPartsAndUserText() {
    const QString mailbox = u"bugs@notavo.invalid"_qs;
    QCOMPARE(bugReportUrl(mailbox, {}, {}, {}),
             u"mailto:bugs@notavo.invalid?subject=Bug Report From: . ID: &body="_qs);
    QCOMPARE(bugReportUrl(mailbox, u"None"_qs, u"13"_qs, {}),
             u"mailto:bugs@notavo.invalid?subject=Bug Report From: None. ID: 13&body="_qs);
    // Line breaks arrive as CR LF, as a mail body needs them.
    QCOMPARE(bugReportUrl(mailbox, {}, {}, u"one\ntwo\r\nthree"_qs),
             u"mailto:bugs@notavo.invalid?subject=Bug Report From: . ID: "
             "&body=one%0D%0Atwo%0D%0Athree"_qs);
    const QString description = u"a&cc=x@y.z?#50% = bad\nnext line é"_qs;
    const QString reporter = u"me&bcc=you@x.y"_qs;
    const QString url = bugReportUrl(u"bugs@notavo.invalid"_qs, reporter, u"7&8"_qs, description);
    QCOMPARE(url.count(QLatin1Char('&')), 1);
    QCOMPARE(url.count(QLatin1Char('?')), 1);
    QVERIFY(!url.contains(QLatin1Char('#')));
    QVERIFY(url.contains(u"%C3%A9"_qs)); // UTF-8

    // A mail program decodes the parts back to exactly what was typed.
    const QUrl parsed(url);
    QCOMPARE(parsed.scheme(), u"mailto"_qs);
    QCOMPARE(parsed.path(), u"bugs@notavo.invalid"_qs);
    const QUrlQuery query(parsed);
    QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 2);
    QCOMPARE(query.queryItemValue(u"subject"_qs, QUrl::FullyDecoded),
             u"Bug Report From: me&bcc=you@x.y. ID: 7&8"_qs);
    QCOMPARE(query.queryItemValue(u"body"_qs, QUrl::FullyDecoded),
             u"a&cc=x@y.z?#50% = bad\r\nnext line é"_qs);
}

QTEST_GUILESS_MAIN(tst_BugReportUrl)
#include "tst_BugReportUrl.moc"
