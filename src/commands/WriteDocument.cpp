#include "commands/WriteDocument.h"

#include "commands/DocumentSeams.h"
#include "commands/LongTask.h"
#include "document/Document.h"
#include "document/DocumentIo.h"
#include "document/FileErrors.h"
#include "text/TextBuffer.h"

#include <cerrno>
#include <new>

std::optional<Failure> writeDocument(const DocumentSeams& seams, const QString& path,
                                     bool checkUnchanged) {
    WindowHold hold(seams.window, seams.txtMain);
    try {
        // The worker writes this copy, so no edit of the box can reach what it reads.
        const TextBuffer text = seams.document.snapshot();
        const DocumentLayout layout = seams.document.layout();
        const FileStamp unchangedSince = checkUnchanged ? seams.document.fileStamp() : FileStamp();
        const auto outcome = runLongTask(
            hold, QLatin1String("Saving ") + path, {text.size(), text.size()}, [&](LongTask& task) {
                auto saved = saveDocument(path, text, layout, unchangedSince, [&task](qint64 done) {
                    task.setDone(done);
                    return !task.cancelled();
                });
                if (std::holds_alternative<FileStamp>(saved))
                    task.commit();
                return saved;
            });
        if (!outcome)
            return Failure{ErrorNumber::Cancelled, QStringLiteral("Save file"),
                           QLatin1String("Saving was cancelled; ") + path +
                               QLatin1String(" is unchanged.")};
        if (const auto* failure = std::get_if<Failure>(&*outcome))
            return *failure;
        seams.document.markWritten();
        seams.document.setFileStamp(std::get<FileStamp>(*outcome));
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return fileFailure(ENOMEM, QStringLiteral("Save file"), path, FileAction::Write);
    }
}
