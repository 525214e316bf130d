#include "text/LineBreaks.h"

QString normalizeLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out.append(u'\n');
        } else if (c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) {
            out.append(u'\n');
        } else {
            out.append(QChar(c));
        }
    }
    return out;
}
