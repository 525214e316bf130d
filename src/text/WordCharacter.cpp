#include "text/WordCharacter.h"

#include "text/TextBoundaries.h"

#include <QChar>

bool isWordCharacter(char32_t c) {
    return !QChar::isSpace(c) && !(c <= 0xFFFF && isWordSeparator(char16_t(c)));
}
