#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

class LineBreakPlayer;

// UTF-16 files (after their byte-order mark) to and from the editing box's text.

// The code units, in the byte order given; false when the bytes are not strict UTF-16 (an odd
// count, or a surrogate without its partner), and text is then of no use.
bool decodeUtf16(QByteArrayView bytes, bool bigEndian, QString& text);

// Appends the text to out in UTF-16, writing each '\n' as the player's next break and then the
// final break. A lone surrogate is written as U+FFFD, which is what shows for it.
void encodeUtf16Lines(const std::vector<QAnyStringView>& text, LineBreakPlayer& breaks,
                      bool bigEndian, QByteArray& out);
