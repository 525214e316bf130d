#include "document/ConvertFile.h"

#include "app/Failure.h"
#include "app/LongTask.h"
#include "app/frmMain.h"
#include "document/DocumentFile.h"
#include "document/DocumentFilters.h"
#include "document/DocumentFormat.h"
#include "document/ErrorReport.h"
#include "document/FileErrors.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"

#include <QByteArray>
#include <QFileInfo>
#include <cerrno>
#include <new>

namespace {

struct SourceBytes {
    std::optional<Failure> failure;
    QByteArray bytes;
};

// The content as a document writes it: through the format, so that a file ending in a line
// break keeps its bytes and one without gains exactly one, as Open and Save would give. Each
// copy is let go as soon as the next exists, so at most two are held at a time (the bytes and a
// Latin-1 text), or the bytes and UTF-16 for text outside Latin-1.
QByteArray convertedBytes(QByteArray bytes, LongTask& task) {
    const qint64 size = bytes.size();
    if (auto compact = decodeCompactDocument(bytes)) {
        bytes = QByteArray();
        task.setDone(size);
        if (task.cancelled())
            return {};
        const DocumentLayout layout = std::move(compact->layout);
        const QByteArray text = std::move(compact->latin1);
        compact.reset();
        return encodeDocument(TextParts{QLatin1StringView(text)}, layout);
    }
    DecodedDocument document = decodeDocument(bytes);
    bytes = QByteArray();
    task.setDone(size);
    if (task.cancelled())
        return {};
    return encodeDocument(document.text, document.layout);
}

} // namespace

void convertFile(frmMain& window) {
    CommonDialog& dialog = window.dlgFile();
    dialog.filter = DocumentFilters::OpenCustom;
    dialog.title = DocumentFilters::ConvertSourceTitle;
    if (!dialog.showOpen())
        return;
    const QString sourcePath = dialog.fileName;
    const QString sourceName = dialog.fileTitle;
    const QString cancelled = QStringLiteral("Converting was cancelled; nothing was written.");
    QString targetPath;
    try {
        // Read, then converted and written, on a worker for a large file, with progress and
        // Cancel as Open and Save have.
        const qint64 size = QFileInfo(sourcePath).size();
        std::optional<SourceBytes> source;
        {
            WindowHold hold(window);
            source = runLongTask(hold, QLatin1String("Reading ") + sourcePath, {size, size},
                                 [&sourcePath](LongTask& task) {
                                     SourceBytes read;
                                     read.failure = readDocumentFile(sourcePath, read.bytes,
                                                                     [&task](qint64 done) {
                                                                         task.setDone(done);
                                                                         return !task.cancelled();
                                                                     });
                                     return read;
                                 });
        }
        if (!source) {
            window.ShowStatus(cancelled);
            return;
        }
        if (source->failure) {
            ShowErrorReport(window.messageBox(), &window, *source->failure);
            return;
        }

        dialog.title = DocumentFilters::ConvertTargetTitle;
        if (!dialog.showSave())
            return;
        targetPath = dialog.fileName;
        const QString targetName = dialog.fileTitle;
        std::optional<std::optional<Failure>> written;
        {
            WindowHold hold(window);
            // Decoding and encoding are each about a third of the time, writing the rest.
            written = runLongTask(
                hold, QLatin1String("Converting ") + sourcePath, {size, 3 * size},
                [&targetPath, size, bytes = std::move(source->bytes)](
                    LongTask& task) mutable -> std::optional<Failure> {
                    const QByteArray converted = convertedBytes(std::move(bytes), task);
                    if (task.cancelled())
                        return std::nullopt;
                    if (auto tooLarge = refuseUnopenable(converted.size(),
                                                         QStringLiteral("Save file"), targetPath))
                        return tooLarge;
                    task.setDone(2 * size);
                    auto failure = replaceFile(targetPath, converted, [&](qint64 done) {
                        task.setDone(2 * size +
                                     done * size / std::max<qint64>(1, converted.size()));
                        return !task.cancelled();
                    });
                    if (!failure)
                        task.commit();
                    return failure;
                });
        }
        if (!written) {
            window.ShowStatus(cancelled);
            return;
        }
        if (*written) {
            ShowErrorReport(window.messageBox(), &window, **written);
            return;
        }
        window.messageBox().show(&window,
                                 QLatin1String("Sucess! Converted '") + sourceName +
                                     QLatin1String("' to '") + targetName + u'\'',
                                 QString(), QMessageBox::Ok, QMessageBox::NoIcon);
    } catch (const std::bad_alloc&) {
        ShowErrorReport(
            window.messageBox(), &window,
            targetPath.isEmpty()
                ? fileFailure(ENOMEM, QStringLiteral("Read file"), sourcePath, FileAction::Read)
                : fileFailure(ENOMEM, QStringLiteral("Save file"), targetPath, FileAction::Write));
    }
}
