#include "document/DocumentFormat.h"

// Placeholder until the byte-exact format lands: UTF-8 and CR LF only.

DocumentLayout newDocumentLayout() {
    return DocumentLayout{};
}

DecodedDocument decodeDocument(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return {text, newDocumentLayout()};
}

QByteArray encodeDocument(const QString& text, const DocumentLayout& layout) {
    QString out = text;
    out.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return out.toUtf8() + layout.defaultBreak;
}
