#include "document/DocumentState.h"

#include "app/EditingBox.h"
#include "app/LongTask.h"
#include "app/frmMain.h"
#include "basics/Failure.h"
#include "document/DocumentFile.h"
#include "document/FileErrors.h"
#include "text/TextBuffer.h"

#include <cerrno>
#include <new>

DocumentState::DocumentState(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("documentState"));
}

DocumentState& documentState(frmMain& window) {
    auto* state = window.findChild<DocumentState*>(QString(), Qt::FindDirectChildrenOnly);
    if (!state)
        state = new DocumentState(&window);
    return *state;
}

QByteArray documentBytes(frmMain& window) {
    return encodeDocument(window.txtMain().snapshot().parts(), documentState(window).layout);
}

std::optional<Failure> writeTextFile(const QString& path, const TextParts& text,
                                     const DocumentLayout& layout, const ByteProgress& progress) {
    // A few megabytes: the disk writes each piece while the next is encoded.
    constexpr qsizetype piece = qsizetype(4) << 20;
    qint64 encoded = 0;
    const auto failure = replaceFile(
        path,
        [&](const ByteWriter& write) {
            encoded = 0;
            bool fits = true;
            const bool done = encodeDocument(text, layout, piece, [&](QByteArray& bytes) {
                encoded += bytes.size();
                // Past the limit nothing more is written; the rest is only counted.
                fits = fits && encoded <= maxDocumentBytes;
                return !fits || write(bytes);
            });
            return done && fits;
        },
        progress);
    if (auto tooLarge = refuseUnopenable(encoded, QStringLiteral("Save file"), path))
        return tooLarge;
    return failure;
}

namespace {
// Writes the text to the file; run on a worker for a large document.
std::optional<Failure> writeText(const TextBuffer& text, const DocumentLayout& layout,
                                 const QString& path, LongTask& task) {
    const qint64 size = text.size();
    auto failure = writeTextFile(path, text.parts(), layout, [&task, size](qint64 written) {
        task.setDone(std::min(written, size));
        return !task.cancelled();
    });
    if (!failure)
        task.commit();
    return failure;
}
} // namespace

std::optional<Failure> writeDocument(frmMain& window, const QString& path) {
    WindowHold hold(window);
    try {
        // The worker writes this copy, so no edit of the box can reach what it reads.
        const TextBuffer text = window.txtMain().snapshot();
        const DocumentLayout layout = documentState(window).layout;
        const auto outcome =
            runLongTask(hold, QLatin1String("Saving ") + path, {text.size(), text.size()},
                        [&](LongTask& task) { return writeText(text, layout, path, task); });
        if (!outcome)
            return Failure{ErrorNumber::Cancelled, QStringLiteral("Save file"),
                           QLatin1String("Saving was cancelled; ") + path +
                               QLatin1String(" is unchanged.")};
        return *outcome;
    } catch (const std::bad_alloc&) {
        return fileFailure(ENOMEM, QStringLiteral("Save file"), path, FileAction::Write);
    }
}
