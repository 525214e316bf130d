#include "commands/FileCommands.h"

#include "basics/Failure.h"
#include "commands/DocumentFilters.h"
#include "commands/DocumentSeams.h"
#include "commands/EncodingCheck.h"
#include "commands/ErrorReport.h"
#include "commands/InterruptedSaves.h"
#include "commands/LongTask.h"
#include "commands/WriteDocument.h"
#include "document/Document.h"
#include "document/DocumentIo.h"
#include "document/FileErrors.h"
#include "editor/TextView.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"
#include "text/TextBuffer.h"

#include <QFileInfo>
#include <QMainWindow>
#include <cerrno>
#include <new>

namespace {
void reportFailure(const DocumentSeams& seams, const Failure& failure) {
    // The user stopped it: a line in the status bar, not an error box.
    if (failure.number == ErrorNumber::Cancelled) {
        seams.ShowStatus(failure.description);
        return;
    }
    ShowErrorReport(seams.messageBox, &seams.window, failure);
}

// Shows a file dialog with the command's settings; false when the user cancelled.
bool askPath(const DocumentSeams& seams, bool save, const QString& filter, const QString& title) {
    CommonDialog& dialog = seams.dlgFile;
    dialog.filter = filter;
    dialog.title = title;
    return save ? dialog.showSave() : dialog.showOpen();
}

// The user can type at once, without a click into the box first.
void startEditing(const DocumentSeams& seams) {
    seams.txtMain.setEnabled(true);
    seams.txtMain.setFocus();
}
} // namespace

void fileNew(const DocumentSeams& seams) {
    seams.document.clear();
    const NamedFile newDocument = NamedFile::newDocument();
    seams.document.setCurrentFile({.saveLocation = SaveLocation(),
                                   .caption = newDocument,
                                   .name = newDocument,
                                   .location = newDocument});
    startEditing(seams);
    seams.ShowStatus(QStringLiteral("New file started"));
}

void fileOpen(const DocumentSeams& seams, const QString& filter) {
    if (!askPath(seams, false, filter, DocumentFilters::OpenTitle))
        return;
    const QString path = seams.dlgFile.fileName;
    offerInterruptedSave(seams.messageBox, &seams.window, path);
    // Keys typed while a large file opens are kept by the hold and applied once the new text is
    // in the box, to the new text.
    WindowHold hold(seams.window, seams.txtMain);
    FileStamp stamp;
    try {
        // Read and decoded on a worker for a large file, so the window stays live and the user
        // can cancel; the document in hand is only replaced once the new one is complete.
        const qint64 size = QFileInfo(path).size();
        auto opened = runLongTask(hold, QLatin1String("Opening ") + path, {size, 2 * size},
                                  [&path, size](LongTask& task) {
                                      return openDocument(path, size, [&task](qint64 done) {
                                          task.setDone(done);
                                          return !task.cancelled();
                                      });
                                  });
        if (!opened) {
            hold.release();
            seams.ShowStatus(QLatin1String("Opening cancelled: ") + path);
            return;
        }
        if (const auto* failure = std::get_if<Failure>(&*opened)) {
            hold.release();
            reportFailure(seams, *failure);
            return;
        }
        auto& document = std::get<OpenedDocument>(*opened);
        seams.document.load(std::move(document.text), std::move(document.layout));
        stamp = document.stamp;
    } catch (const std::bad_alloc&) {
        hold.release();
        reportFailure(seams,
                      fileFailure(ENOMEM, QStringLiteral("Read file"), path, FileAction::Read));
        return;
    }
    // Save and auto-save now write back to the opened file, never over an earlier one.
    const NamedFile file = NamedFile::at(path);
    seams.document.setCurrentFile(
        {.saveLocation = SaveLocation::at(path), .caption = file, .name = file, .location = file});
    seams.document.setFileStamp(stamp);
    startEditing(seams);
    seams.ShowStatus(QLatin1String("Opened file: ") + path);
}

namespace {
// A save through the dialog. Save names the file in the panel before it writes, Save As and
// Save Custom only after a successful write, so a failure leaves each as it always has.
void saveThroughDialog(const DocumentSeams& seams, const QString& filter, const QString& title,
                       bool nameBeforeWrite) {
    if (!askPath(seams, true, filter, title))
        return;
    const QString path = seams.dlgFile.fileName;
    const QString name = seams.dlgFile.fileTitle;
    if (!confirmDocumentEncoding(seams, name))
        return;
    const NamedFile target = NamedFile::at(path);
    seams.document.setCurrentFile({.saveLocation = SaveLocation::at(path),
                                   .name = nameBeforeWrite ? std::optional(target) : std::nullopt,
                                   .location = target});
    if (const auto failure = writeDocument(seams, path)) {
        reportFailure(seams, *failure);
        return;
    }
    seams.document.setCurrentFile({.caption = target, .name = target});
    seams.ShowStatus(QLatin1String("Saved file to ") + path);
}
} // namespace

void fileSave(const DocumentSeams& seams) {
    if (!seams.document.hasSavePath()) {
        saveThroughDialog(seams, DocumentFilters::Notavo, DocumentFilters::SaveTitle, true);
        return;
    }
    const QString path = seams.document.savePath();
    if (!confirmDocumentEncoding(seams, QFileInfo(path).fileName()))
        return;
    auto failure = writeDocument(seams, path, true);
    // Another program's change is replaced only when the user says so.
    if (failure && failure->number == FileError::ChangedSince) {
        const QString question = u'"' + QFileInfo(path).fileName() +
                                 QLatin1String("\" was changed by another program. Replace it "
                                               "with this text?");
        if (seams.messageBox.show(&seams.window, question, QStringLiteral("Save"),
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::Warning) != QMessageBox::Yes)
            return;
        failure = writeDocument(seams, path);
    }
    if (failure) {
        reportFailure(seams, *failure);
        return;
    }
    seams.ShowStatus(QLatin1String("Auto-Saved file to ") + path);
}

void fileSaveAs(const DocumentSeams& seams, const QString& filter, const QString& title) {
    saveThroughDialog(seams, filter, title, false);
}

void fileClear(const DocumentSeams& seams) {
    Document& document = seams.document;
    const auto answer = seams.messageBox.show(
        &seams.window, QStringLiteral("Do you want to save first?"), QStringLiteral("Save"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
    // Escape or the close box: the user chose neither, so nothing changes.
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return;
    if (answer == QMessageBox::No) {
        document.clear();
        document.setCurrentFile({.saveLocation = document.saveLocation().forgotten(),
                                 .name = NamedFile(),
                                 .location = NamedFile()});
        return;
    }
    if (!askPath(seams, true, DocumentFilters::ClearSave, DocumentFilters::SaveTitle)) {
        // The panel and the caption still name the file; a remembered location would let the
        // next Save or auto-save write this emptiness over it.
        document.clear();
        document.setCurrentFile({.saveLocation = document.saveLocation().forgotten()});
        return;
    }
    // Added after whatever the chosen file already holds.
    const QString path = seams.dlgFile.fileName;
    const QString fileName = seams.dlgFile.fileTitle;
    std::optional<Failure> failure;
    try {
        auto target = readAppendTarget(path, document.layout());
        if (auto* readFailure = std::get_if<Failure>(&target)) {
            failure = std::move(*readFailure);
        } else {
            const TextParts text = document.buffer().parts();
            const AppendTarget& receiving = std::get<AppendTarget>(target);
            bool asUtf8 = false;
            if (!confirmAppendEncoding(seams, text, receiving.layout, fileName, asUtf8))
                return; // the user kept the text in the box
            failure = appendDocument(path, text, receiving, asUtf8);
        }
    } catch (const std::bad_alloc&) {
        failure = fileFailure(ENOMEM, QStringLiteral("Save file"), path, FileAction::Write);
    }
    if (failure) {
        // The text was not saved, so it stays in the box rather than being lost.
        reportFailure(seams, *failure);
        return;
    }
    document.clear();
    document.setCurrentFile({.saveLocation = SaveLocation(),
                             .caption = NamedFile(),
                             .name = NamedFile(),
                             .location = NamedFile()});
    seams.ShowStatus(QStringLiteral("Cleared"));
}
