#include "document/TextEncodings.h"

#include <QByteArray>
#include <QList>
#include <cstdlib>

namespace {
constexpr EncodingInfo table[] = {
    {TextEncoding::Utf8, "UTF-8", "UTF-8", "U&TF-8"},
    {TextEncoding::Utf16LittleEndian, "UTF-16LE", "UTF-16 LE", "UT&F-16 LE"},
    {TextEncoding::Utf16BigEndian, "UTF-16BE", "UTF-16 BE", "UTF-1&6 BE"},
    {TextEncoding::Utf32LittleEndian, "UTF-32LE", "UTF-32 LE", "UTF-3&2 LE"},
    {TextEncoding::Utf32BigEndian, "UTF-32BE", "UTF-32 BE", "UTF-&32 BE"},
    {TextEncoding::Windows1250, "windows-1250", "Windows-1250 (Central European)",
     "Windows-125&0 (Central European)"},
    {TextEncoding::Windows1251, "windows-1251", "Windows-1251 (Cyrillic)",
     "Windows-&1251 (Cyrillic)"},
    {TextEncoding::Windows1252, "windows-1252", "Windows-1252 (Western)",
     "Win&dows-1252 (Western)"},
    {TextEncoding::Windows1253, "windows-1253", "Windows-1253 (Greek)", "Wi&ndows-1253 (Greek)"},
    {TextEncoding::Windows1254, "windows-1254", "Windows-1254 (Turkish)",
     "&Windows-1254 (Turkish)"},
    {TextEncoding::Windows1255, "windows-1255", "Windows-1255 (Hebrew)", "Windows-1255 (&Hebrew)"},
    {TextEncoding::Windows1256, "windows-1256", "Windows-1256 (Arabic)", "W&indows-1256 (Arabic)"},
    {TextEncoding::Windows1257, "windows-1257", "Windows-1257 (Baltic)", "Windows-125&7 (Baltic)"},
    {TextEncoding::Windows1258, "windows-1258", "Windows-1258 (Vietnamese)",
     "Windows-1258 (&Vietnamese)"},
    {TextEncoding::Windows874, "windows-874", "Windows-874 (Thai)", "Windows-87&4 (Thai)"},
    {TextEncoding::ShiftJis, "Shift_JIS", "Shift-JIS (Japanese)", "Shift-&JIS (Japanese)"},
    {TextEncoding::Gb18030, "GB18030", "GB18030 (Simplified Chinese)",
     "&GB18030 (Simplified Chinese)"},
    {TextEncoding::Windows949, "windows-949", "Windows-949 (Korean)", "Windows-&949 (Korean)"},
    {TextEncoding::Big5, "Big5", "Big5 (Traditional Chinese)", "&Big5 (Traditional Chinese)"},
    {TextEncoding::Iso8859_1, "ISO-8859-1", "ISO-8859-1 (Latin-1)", "ISO-&8859-1 (Latin-1)"},
    {TextEncoding::Iso8859_2, "ISO-8859-2", "ISO-8859-2 (Latin-2)", "ISO-88&59-2 (Latin-2)"},
    {TextEncoding::Iso8859_5, "ISO-8859-5", "ISO-8859-5 (Cyrillic)", "ISO-8859-5 (&Cyrillic)"},
    {TextEncoding::Iso8859_15, "ISO-8859-15", "ISO-8859-15 (Latin-9)", "IS&O-8859-15 (Latin-9)"},
    {TextEncoding::Koi8R, "KOI8-R", "KOI8-R (Russian)", "KOI8-&R (Russian)"},
    {TextEncoding::Koi8U, "KOI8-U", "KOI8-U (Ukrainian)", "&KOI8-U (Ukrainian)"},
    {TextEncoding::EucJp, "EUC-JP", "EUC-JP (Japanese)", "E&UC-JP (Japanese)"},
    {TextEncoding::Iso2022Jp, "ISO-2022-JP", "ISO-2022-JP (Japanese)", "I&SO-2022-JP (Japanese)"},
    {TextEncoding::EucKr, "EUC-KR", "EUC-KR (Korean)", "&EUC-KR (Korean)"},
};

struct LocaleCodePage {
    const char* language; // or language_REGION
    TextEncoding encoding;
};

// Regions first: Chinese is decided by them.
constexpr LocaleCodePage locales[] = {
    {"zh_TW", TextEncoding::Big5},     {"zh_HK", TextEncoding::Big5},
    {"zh_MO", TextEncoding::Big5},     {"zh", TextEncoding::Gb18030},
    {"ru", TextEncoding::Windows1251}, {"uk", TextEncoding::Windows1251},
    {"be", TextEncoding::Windows1251}, {"bg", TextEncoding::Windows1251},
    {"sr", TextEncoding::Windows1251}, {"mk", TextEncoding::Windows1251},
    {"cs", TextEncoding::Windows1250}, {"pl", TextEncoding::Windows1250},
    {"hu", TextEncoding::Windows1250}, {"sk", TextEncoding::Windows1250},
    {"sl", TextEncoding::Windows1250}, {"hr", TextEncoding::Windows1250},
    {"ro", TextEncoding::Windows1250}, {"sq", TextEncoding::Windows1250},
    {"bs", TextEncoding::Windows1250}, {"el", TextEncoding::Windows1253},
    {"tr", TextEncoding::Windows1254}, {"az", TextEncoding::Windows1254},
    {"he", TextEncoding::Windows1255}, {"iw", TextEncoding::Windows1255},
    {"ar", TextEncoding::Windows1256}, {"fa", TextEncoding::Windows1256},
    {"ur", TextEncoding::Windows1256}, {"et", TextEncoding::Windows1257},
    {"lv", TextEncoding::Windows1257}, {"lt", TextEncoding::Windows1257},
    {"vi", TextEncoding::Windows1258}, {"th", TextEncoding::Windows874},
    {"ja", TextEncoding::ShiftJis},    {"ko", TextEncoding::Windows949},
};
} // namespace

std::span<const EncodingInfo> textEncodings() {
    return table;
}

const EncodingInfo& encodingInfo(TextEncoding encoding) {
    for (const EncodingInfo& info : table)
        if (info.encoding == encoding)
            return info;
    return table[0];
}

QString encodingCaption(TextEncoding encoding) {
    return QString::fromLatin1(encodingInfo(encoding).caption);
}

bool isUnicode(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
    case TextEncoding::Utf32LittleEndian:
    case TextEncoding::Utf32BigEndian:
        return true;
    default:
        return false;
    }
}

TextEncoding ansiCodePageOfLocale(QByteArrayView locale) {
    // language[_REGION][.codeset][@modifier]; "sr@latin" is still Serbian's code page.
    qsizetype end = 0;
    while (end < locale.size() && locale[end] != '.' && locale[end] != '@')
        ++end;
    const QByteArray name = locale.first(end).toByteArray().replace('-', '_');
    const QByteArray language = name.left(name.indexOf('_')).toLower();
    const QByteArray region = name.indexOf('_') < 0 ? QByteArray() : name.mid(name.indexOf('_'));
    const QByteArray full = language + region.toUpper();
    for (const LocaleCodePage& entry : locales) {
        const QByteArrayView wanted(entry.language);
        if (wanted.contains('_') ? full == wanted : language == wanted)
            return entry.encoding;
    }
    return TextEncoding::Windows1252;
}

TextEncoding systemAnsiCodePage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return ansiCodePageOfLocale(value);
    }
    return TextEncoding::Windows1252;
}
