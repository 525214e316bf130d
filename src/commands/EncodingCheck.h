#pragma once

#include "document/DocumentFormat.h"

#include <QString>

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

// Before Clear's save-first adds the text to a file of the target layout: true when it may
// write. When that encoding cannot hold the text, asks whether to rewrite the file as UTF-8 with
// the text after it (never two encodings in one file); Yes sets asUtf8.
bool confirmAppendEncoding(const DocumentSeams& seams, const TextParts& text,
                           const DocumentLayout& target, const QString& fileName, bool& asUtf8);
