#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 for the whole of a file, one character per byte. Its five undefined bytes (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same value, so every byte
// string decodes and encodes back unchanged.
QString decodeWindows1252(const QByteArray& bytes);
// The byte for the character, or -1 when Windows-1252 cannot hold it.
int windows1252Byte(char16_t c);
