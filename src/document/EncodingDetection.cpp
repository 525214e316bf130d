#include "document/EncodingDetection.h"

TextEncoding guessLegacyEncoding(QByteArrayView) {
    return systemAnsiCodePage();
}
