#include "text/TextBoundaries.h"

#include "text/TextBuffer.h"

#include <algorithm>

qsizetype codePointStart(const TextBuffer& text, qsizetype position) {
    position = std::clamp<qsizetype>(position, 0, text.size());
    if (position > 0 && position < text.size() && QChar::isLowSurrogate(text.at(position)) &&
        QChar::isHighSurrogate(text.at(position - 1)))
        return position - 1;
    return position;
}

qsizetype codePointBefore(const TextBuffer& text, qsizetype position) {
    if (position >= 2 && QChar::isLowSurrogate(text.at(position - 1)) &&
        QChar::isHighSurrogate(text.at(position - 2)))
        return position - 2;
    return std::max<qsizetype>(position - 1, 0);
}

QString withoutLoneSurrogates(QString text) {
    const qsizetype size = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < size; ++i) {
        if (!QChar::isSurrogate(units[i]))
            continue;
        if (QChar::isHighSurrogate(units[i]) && i + 1 < size &&
            QChar::isLowSurrogate(units[i + 1])) {
            ++i;
            continue;
        }
        text[i] = QChar::ReplacementCharacter;
        units = reinterpret_cast<const char16_t*>(text.constData());
    }
    return text;
}

bool isWordSeparator(char16_t c) {
    return QStringView(u".,?!@#$:;-<>[](){}=/+%&^*'\"`~|").contains(QChar(c));
}
