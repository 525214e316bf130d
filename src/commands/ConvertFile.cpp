#include "commands/ConvertFile.h"

#include "basics/Failure.h"
#include "commands/DocumentFilters.h"
#include "commands/DocumentSeams.h"
#include "commands/ErrorReport.h"
#include "commands/LongTask.h"
#include "document/DocumentFile.h"
#include "document/DocumentIo.h"
#include "document/FileErrors.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMainWindow>
#include <cerrno>
#include <new>

namespace {

struct SourceBytes {
    std::optional<Failure> failure;
    QByteArray bytes;
};

} // namespace

void convertFile(const DocumentSeams& seams) {
    CommonDialog& dialog = seams.dlgFile;
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
            WindowHold hold(seams.window, seams.txtMain);
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
            seams.ShowStatus(cancelled);
            return;
        }
        if (source->failure) {
            ShowErrorReport(seams.messageBox, &seams.window, *source->failure);
            return;
        }

        dialog.title = DocumentFilters::ConvertTargetTitle;
        if (!dialog.showSave())
            return;
        targetPath = dialog.fileName;
        const QString targetName = dialog.fileTitle;
        std::optional<std::optional<Failure>> written;
        {
            WindowHold hold(seams.window, seams.txtMain);
            written = runLongTask(
                hold, QLatin1String("Converting ") + sourcePath, {size, 2 * size},
                [&targetPath, bytes = std::move(source->bytes)](LongTask& task) mutable {
                    auto failure =
                        writeAsDocument(targetPath, std::move(bytes), [&task](qint64 done) {
                            task.setDone(done);
                            return !task.cancelled();
                        });
                    if (!failure)
                        task.commit();
                    return failure;
                });
        }
        if (!written) {
            seams.ShowStatus(cancelled);
            return;
        }
        if (*written) {
            ShowErrorReport(seams.messageBox, &seams.window, **written);
            return;
        }
        seams.messageBox.show(&seams.window,
                              QLatin1String("Sucess! Converted '") + sourceName +
                                  QLatin1String("' to '") + targetName + u'\'',
                              QString(), QMessageBox::Ok, QMessageBox::NoIcon);
    } catch (const std::bad_alloc&) {
        ShowErrorReport(
            seams.messageBox, &seams.window,
            targetPath.isEmpty()
                ? fileFailure(ENOMEM, QStringLiteral("Read file"), sourcePath, FileAction::Read)
                : fileFailure(ENOMEM, QStringLiteral("Save file"), targetPath, FileAction::Write));
    }
}
