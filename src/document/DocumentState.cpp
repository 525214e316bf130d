#include "document/DocumentState.h"

#include "app/EditingBox.h"
#include "app/Failure.h"
#include "app/LongTask.h"
#include "app/frmMain.h"
#include "document/DocumentFile.h"

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
    return encodeDocument(window.txtMain().textParts(), documentState(window).layout);
}

std::optional<Failure> writeDocument(frmMain& window, const QString& path) {
    const TextParts text = window.txtMain().textParts();
    const DocumentLayout layout = documentState(window).layout;
    qint64 size = 0;
    for (const QAnyStringView part : text)
        size += part.size();
    std::optional<Failure> failure;
    // Encoding is about a third of the time, writing and syncing the rest.
    const bool finished =
        runLongTask(window, QLatin1String("Saving ") + path, size, [&](LongTask& task) {
            const QByteArray bytes = encodeDocument(text, layout);
            task.setDone(size / 3);
            auto goOn = [&](qint64 written) {
                task.setDone(size / 3 + written * 2 * size / 3 / std::max<qint64>(1, bytes.size()));
                if (!task.cancelled())
                    return true;
                task.stop();
                return false;
            };
            if (goOn(0))
                failure = replaceFile(path, bytes, goOn);
        });
    if (!finished)
        return Failure{ErrorNumber::Cancelled, QStringLiteral("Save file"),
                       QLatin1String("Saving was cancelled; ") + path +
                           QLatin1String(" is unchanged.")};
    return failure;
}
