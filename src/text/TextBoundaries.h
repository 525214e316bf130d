#pragma once

#include <QString>

class TextBuffer;

// The one rule for positions in the editing box's text. Keys and clicks put the caret where
// QTextLayout puts a cursor (between whole characters, as in QPlainTextEdit); a position given
// from outside the box (the program, a screen reader, an input method) may fall between the
// code points of one character, as in QPlainTextEdit, but never between the halves of a
// surrogate pair; and no edit leaves half a pair in the text, which could only be saved as "?".

// Position, or the start of the surrogate pair it would split.
qsizetype codePointStart(const TextBuffer& text, qsizetype position);
// Where the code point before position starts: Backspace takes one code point, as Qt's does,
// so that a combining mark can be taken off the letter it is on.
qsizetype codePointBefore(const TextBuffer& text, qsizetype position);
// The text with every half of a surrogate pair that stands alone made U+FFFD.
QString withoutLoneSurrogates(QString text);
// The characters Qt's text engine takes to separate words (QTextEngine::atWordSeparator).
bool isWordSeparator(char16_t c);
