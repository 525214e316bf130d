#pragma once

#include "document/TextEncodings.h"

#include <QByteArrayView>

// The legacy code page of a file that is neither UTF-8 nor marked: the detector's answer when
// it is sure of it on a sample of the file, the locale's code page otherwise.
TextEncoding guessLegacyEncoding(QByteArrayView bytes);
