// The bug report's mailto URL for any texts the user types. The URL has exactly one '?' and
// exactly the two header fields subject and body; percent-decoded, they give back the user's
// texts unchanged (the body with its line breaks as CR LF), so no text can add a header or end
// the subject or the body early. QUrl must read the same fields.
#include "dialogs/BugReportUrl.h"
#include "dialogs/frmBugReport.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString mailbox;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// Percent-decoded UTF-8 with every character kept (QString::fromUtf8 would drop a leading BOM).
QString decoded(const QString& field) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8(QByteArray::fromPercentEncoding(field.toLatin1()));
}

QString crLf(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

bool hasNonCharacter(const QString& text) {
    for (const uint c : text.toUcs4())
        if (QChar::isNonCharacter(c))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mailbox = frmBugReport::BugReportAddress();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Name, error ID and description, separated by NUL bytes.
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    const QString reporter = QString::fromUtf8(parts.value(0));
    const QString errorId = QString::fromUtf8(parts.value(1));
    const QString description = QString::fromUtf8(parts.value(2));

    const QString url = bugReportUrl(mailbox, reporter, errorId, description);
    check(url.startsWith(QLatin1String("mailto:") + mailbox + u'?'), "the address comes first");
    check(url.count(u'?') == 1, "exactly one '?'");
    check(!url.contains(u'#'), "no fragment");
    const QStringList fields = url.section(u'?', 1).split(u'&');
    check(fields.size() == 2, "exactly two header fields");
    check(fields[0].startsWith(QLatin1String("subject=")), "the subject first");
    check(fields[1].startsWith(QLatin1String("body=")), "the body second");
    const QString subject =
        QLatin1String("Bug Report From: ") + reporter + QLatin1String(". ID: ") + errorId;
    check(decoded(fields[0].mid(8)) == subject, "the subject decodes to the user's texts");
    check(decoded(fields[1].mid(5)) == crLf(description), "the body decodes to the description");

    // QUrl decodes a percent-encoded noncharacter (U+FDD0, U+xFFFF, ...) to U+FFFD: its own
    // reading, not the URL's. The program hands the text itself to xdg-open.
    if (hasNonCharacter(reporter + errorId + description))
        return 0;
    const QUrl parsed(url);
    check(parsed.isValid() && parsed.scheme() == QLatin1String("mailto"), "QUrl reads the URL");
    check(parsed.path() == mailbox, "QUrl reads the address");
    const QUrlQuery query(parsed);
    check(query.queryItems().size() == 2, "QUrl reads two header fields");
    check(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded) == subject,
          "QUrl reads the subject");
    check(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded) == crLf(description),
          "QUrl reads the body");
    return 0;
}
