#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

class LineBreakPlayer;

// UTF-16 files (after their byte-order mark) to and from the editing box's text.

// The code units, in the byte order given, lone surrogates included (they are written back as
// they were); an odd last byte is left out. False when the units are not strict UTF-16 (a
// surrogate without its partner): text is complete all the same.
bool decodeUtf16(QByteArrayView bytes, bool bigEndian, QString& text);
// UTF-32 units to text; a unit that is no character becomes the byte marks of its four bytes.
// Bytes after the last whole unit are left out. False when there was such a unit.
bool decodeUtf32(QByteArrayView bytes, bool bigEndian, QString& text);

// Appends the text to out in UTF-16, writing each '\n' as the player's next break and then the
// final break. A lone surrogate is written as it is: it came from the file.
void encodeUtf16Lines(const std::vector<QAnyStringView>& text, LineBreakPlayer& breaks,
                      bool bigEndian, QByteArray& out);
// The same in UTF-32; a byte mark is written as its one byte.
void encodeUtf32Lines(const std::vector<QAnyStringView>& text, LineBreakPlayer& breaks,
                      bool bigEndian, QByteArray& out);
