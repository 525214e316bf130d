#pragma once

#include <QByteArrayView>
#include <QString>
#include <span>

// Every encoding a document can be read and written in. The numbers are kept in saved state
// (the recovery journal): new ones go at the end.
enum class TextEncoding {
    Utf8,
    Windows1252,
    Utf16LittleEndian,
    Utf16BigEndian,
    Utf32LittleEndian,
    Utf32BigEndian,
    Windows1250,
    Windows1251,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    Windows874,
    ShiftJis,
    Gb18030,
    Windows949,
    Big5,
    Iso8859_1,
    Iso8859_2,
    Iso8859_5,
    Iso8859_15,
    Koi8R,
    Koi8U,
    EucJp,
    Iso2022Jp,
    EucKr,
};

struct EncodingInfo {
    TextEncoding encoding;
    const char* converterName; // as ICU (and so QStringDecoder) knows it
    const char* caption;       // as the user reads it
    const char* menuCaption;   // with an access letter no other encoding's entry has
};

// In the order the user is offered them.
std::span<const EncodingInfo> textEncodings();
const EncodingInfo& encodingInfo(TextEncoding encoding);
QString encodingCaption(TextEncoding encoding);
bool isUnicode(TextEncoding encoding);

// The code page Windows gives a user of this locale ("ru_RU.UTF-8", "ja_JP", "zh_TW.Big5"):
// its language, and for Chinese its region, decide. Windows-1252 for every other one.
TextEncoding ansiCodePageOfLocale(QByteArrayView locale);
// The same for the locale the C library takes from LC_ALL, LC_CTYPE and LANG, in that order.
TextEncoding systemAnsiCodePage();
