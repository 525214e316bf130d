#pragma once

#include <QString>

// Typed, pasted or composed text with every kind of line break the document format reads as one
// (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1) turned into '\n', so the text saves as it looks.
QString normalizeLineBreaks(const QString& text);
