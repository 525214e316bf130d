#pragma once

#include "basics/Failure.h"
#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"

#include <QString>
#include <optional>

// Replaces the file at path with the text in the layout's encoding, encoded a few megabytes at a
// time as it is written; progress is told the bytes written and can stop it. Nothing is written
// that would be too large to open again (number 7). stamps as replaceFile takes them.
[[nodiscard]] std::optional<Failure> writeTextFile(const QString& path, const TextParts& text,
                                                   const DocumentLayout& layout,
                                                   const ByteProgress& progress,
                                                   WriteStamps* stamps = nullptr);
