#pragma once

#include "basics/Failure.h"
#include "document/DocumentFormat.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct DocumentSeams;

// Never re-encode a file behind the user's back: before a write, a text that the encoding
// cannot hold is the user's to decide.

// The question for a file of that name whose encoding cannot hold the character.
QString encodingQuestion(const QString& fileName, TextEncoding encoding, const Unencodable& first);

// Before Save writes the document to the file named: true when it may write. When the encoding
// cannot hold the text, asks whether to save as UTF-8 instead; Yes makes the document UTF-8.
bool confirmDocumentEncoding(const DocumentSeams& seams, const QString& fileName);
// The same for auto-save, which never asks: false, with a line in the status bar, when the
// encoding cannot hold the text.
bool documentEncodingHolds(const DocumentSeams& seams, const QString& fileName);

// What Clear's save-first writes to the file at path: the document in that file's own encoding
// and line breaks, added at its end; or, when that encoding cannot hold the text and the user
// chose UTF-8, the whole file rewritten as UTF-8 with the document after it (never two
// encodings in one file). std::nullopt: write nothing (the user said No, or failure was set).
struct ClearWrite {
    QByteArray bytes;
    bool wholeFile = false;
};
std::optional<ClearWrite> bytesForAppending(const DocumentSeams& seams, const QString& path,
                                            const QString& fileName,
                                            std::optional<Failure>& failure);
