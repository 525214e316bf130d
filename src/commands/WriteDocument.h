#pragma once

#include "basics/Failure.h"

#include <QString>
#include <optional>

struct DocumentSeams;

// Replaces the file at path with the document; a large one on a worker thread with progress in
// the window. A cancelled save leaves the file as it was and answers ErrorNumber::Cancelled.
// The document then remembers the stamp of the file written. With checkUnchanged, a file that
// another program changed since the document's stamp is left alone: FileError::ChangedSince.
[[nodiscard]] std::optional<Failure> writeDocument(const DocumentSeams& seams, const QString& path,
                                                   bool checkUnchanged = false);
