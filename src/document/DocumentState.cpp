#include "document/DocumentState.h"

#include "app/EditingBox.h"
#include "app/Failure.h"
#include "app/LongTask.h"
#include "app/frmMain.h"
#include "document/DocumentFile.h"
#include "document/FileErrors.h"
#include "editor/TextBuffer.h"

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

namespace {
// Encodes the text and replaces the file with it; run on a worker for a large document. Encoding
// is about a third of the time, writing and syncing the rest.
std::optional<Failure> writeText(const TextBuffer& text, const DocumentLayout& layout,
                                 const QString& path, LongTask& task) {
    const qint64 size = text.size();
    const QByteArray bytes = encodeDocument(text.parts(), layout);
    if (auto tooLarge = refuseUnopenable(bytes.size(), QStringLiteral("Save file"), path))
        return tooLarge;
    auto goOn = [&](qint64 written) {
        task.setDone(size / 3 + written * 2 * size / 3 / std::max<qint64>(1, bytes.size()));
        return !task.cancelled();
    };
    if (!goOn(0))
        return std::nullopt;
    auto failure = replaceFile(path, bytes, goOn);
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
