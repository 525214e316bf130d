#include "document/EncodingDetection.h"

#include <unicode/ucsdet.h>

#include <QByteArray>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Enough text to tell the scripts apart, and little enough that a 100 MB file opens no slower.
constexpr qsizetype sampleBytes = 64 * 1024;
// Fewer letters outside ASCII than this say too little: the locale's code page wins.
constexpr qsizetype fewestNonAscii = 24;

// ICU's answers as the encodings a document can be in; nullopt for the rest (UTF-16, EBCDIC).
std::optional<TextEncoding> fromDetectorName(QByteArrayView name) {
    struct Name {
        const char* name;
        TextEncoding encoding;
    };
    // The ISO sets are read as their Windows supersets where the letters are the same.
    static constexpr Name names[] = {
        {"windows-1250", TextEncoding::Windows1250},
        {"windows-1251", TextEncoding::Windows1251},
        {"windows-1252", TextEncoding::Windows1252},
        {"windows-1253", TextEncoding::Windows1253},
        {"windows-1254", TextEncoding::Windows1254},
        {"windows-1255", TextEncoding::Windows1255},
        {"windows-1256", TextEncoding::Windows1256},
        {"ISO-8859-1", TextEncoding::Windows1252},
        {"ISO-8859-2", TextEncoding::Iso8859_2},
        {"ISO-8859-5", TextEncoding::Iso8859_5},
        {"ISO-8859-7", TextEncoding::Windows1253},
        {"ISO-8859-8", TextEncoding::Windows1255},
        {"ISO-8859-9", TextEncoding::Windows1254},
        {"KOI8-R", TextEncoding::Koi8R},
        {"Shift_JIS", TextEncoding::ShiftJis},
        {"GB18030", TextEncoding::Gb18030},
        {"EUC-JP", TextEncoding::EucJp},
        {"EUC-KR", TextEncoding::Windows949},
        {"Big5", TextEncoding::Big5},
    };
    for (const Name& entry : names)
        if (name == QByteArrayView(entry.name))
            return entry.encoding;
    return std::nullopt;
}

bool isMultiByte(TextEncoding encoding) {
    return encoding == TextEncoding::ShiftJis || encoding == TextEncoding::Gb18030 ||
           encoding == TextEncoding::EucJp || encoding == TextEncoding::Windows949 ||
           encoding == TextEncoding::Big5;
}

struct Candidate {
    TextEncoding encoding;
    int confidence;
};

std::vector<Candidate> detect(QByteArrayView sample) {
    std::vector<Candidate> found;
    UErrorCode error = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&error),
                                                                              ucsdet_close);
    if (U_FAILURE(error))
        return found;
    ucsdet_setText(detector.get(), sample.data(), int32_t(sample.size()), &error);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &error);
    if (U_FAILURE(error))
        return found;
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode nameError = U_ZERO_ERROR;
        const char* name = ucsdet_getName(matches[i], &nameError);
        const int confidence = ucsdet_getConfidence(matches[i], &nameError);
        if (U_FAILURE(nameError) || !name)
            continue;
        if (const auto encoding = fromDetectorName(name))
            found.push_back({*encoding, confidence});
    }
    return found;
}

} // namespace

// Sure means: a multi-byte code page at 50 or more (ICU gives the right one 100 on a line of
// text), or a single-byte one at 20 or more and 5 ahead of the next (its n-gram scores stay
// low); and the locale's own code page not as close as that (10 and 5), so that an ambiguous
// file reads as the user's own text.
TextEncoding guessLegacyEncoding(QByteArrayView bytes) {
    const TextEncoding locale = systemAnsiCodePage();
    const QByteArrayView sample = bytes.first(std::min(bytes.size(), sampleBytes));
    qsizetype nonAscii = 0;
    for (const char c : sample)
        nonAscii += uchar(c) >= 0x80;
    if (nonAscii < fewestNonAscii)
        return locale;
    const std::vector<Candidate> candidates = detect(sample);
    if (candidates.empty())
        return locale;
    const Candidate& top = candidates.front();
    int next = 0;
    for (const Candidate& other : candidates)
        if (other.encoding != top.encoding) {
            next = other.confidence;
            break;
        }
    const bool sure = isMultiByte(top.encoding)
                          ? top.confidence >= 50
                          : top.confidence >= 20 && top.confidence - next >= 5;
    if (!sure)
        return locale;
    const int closeness = isMultiByte(top.encoding) ? 10 : 5;
    for (const Candidate& other : candidates)
        if (other.encoding == locale && other.confidence + closeness > top.confidence)
            return locale;
    return top.encoding;
}
