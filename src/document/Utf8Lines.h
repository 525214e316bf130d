#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

class LineBreakRecorder;
class LineBreakPlayer;

// UTF-8 with line breaks to and from the editing box's text, each in one pass over the data.

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) to UTF-16, with every
// CR, LF, CR LF, U+2029, U+FDD0 and U+FDD1 turned into '\n' and its style recorded. False when
// the bytes are not strict UTF-8; text and breaks are then of no use. With markInvalid, each byte
// that starts no strict sequence becomes its byte mark (U+DC00 + the byte) instead.
bool decodeUtf8Lines(QByteArrayView bytes, QString& text, LineBreakRecorder& breaks,
                     bool markInvalid = false);

// Strict multi-byte sequences and bytes that start none, counted until together they reach
// enough (or the end).
struct Utf8Census {
    qsizetype valid = 0;
    qsizetype invalid = 0;
};
Utf8Census countUtf8(QByteArrayView bytes, qsizetype enough);
// The same into Latin-1; false as well when a character at or above U+0100 (a U+2029 break
// among them) turns up.
bool decodeUtf8Latin1Lines(QByteArrayView bytes, QByteArray& text, LineBreakRecorder& breaks);

// Appends the text as UTF-8 to out, writing each '\n' as the player's next break and then the
// final break when last (false for all but the last piece of a text). A byte mark becomes its
// byte; any other lone surrogate '?', as QString::toUtf8 writes it.
void encodeUtf8Lines(QStringView text, LineBreakPlayer& breaks, QByteArray& out, bool last = true);

// The same for Latin-1 text (an editing buffer's compact form), without the final break.
void encodeLatin1Lines(QLatin1StringView text, LineBreakPlayer& breaks, QByteArray& out);
