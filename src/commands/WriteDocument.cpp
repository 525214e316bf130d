#include "commands/WriteDocument.h"

#include "commands/DocumentSeams.h"
#include "commands/LongTask.h"
#include "document/Document.h"
#include "document/FileErrors.h"
#include "document/TextFile.h"
#include "text/TextBuffer.h"

#include <cerrno>
#include <new>

namespace {
// Writes the text to the file; run on a worker for a large document.
[[nodiscard]] std::optional<Failure> writeText(const TextBuffer& text, const DocumentLayout& layout,
                                               const QString& path, WriteStamps& stamps,
                                               LongTask& task) {
    const qint64 size = text.size();
    auto failure = writeTextFile(
        path, text.parts(), layout,
        [&task, size](qint64 written) {
            task.setDone(std::min(written, size));
            return !task.cancelled();
        },
        &stamps);
    if (!failure)
        task.commit();
    return failure;
}
} // namespace

std::optional<Failure> writeDocument(const DocumentSeams& seams, const QString& path,
                                     bool checkUnchanged) {
    WindowHold hold(seams.window, seams.txtMain);
    try {
        // The worker writes this copy, so no edit of the box can reach what it reads.
        const TextBuffer text = seams.document.snapshot();
        const DocumentLayout layout = seams.document.layout();
        WriteStamps stamps;
        if (checkUnchanged)
            stamps.unchangedSince = seams.document.fileStamp();
        const auto outcome = runLongTask(
            hold, QLatin1String("Saving ") + path, {text.size(), text.size()},
            [&](LongTask& task) { return writeText(text, layout, path, stamps, task); });
        if (outcome && !*outcome)
            seams.document.markWritten();
        if (!outcome)
            return Failure{ErrorNumber::Cancelled, QStringLiteral("Save file"),
                           QLatin1String("Saving was cancelled; ") + path +
                               QLatin1String(" is unchanged.")};
        if (!*outcome)
            seams.document.setFileStamp(stamps.written);
        return *outcome;
    } catch (const std::bad_alloc&) {
        return fileFailure(ENOMEM, QStringLiteral("Save file"), path, FileAction::Write);
    }
}
