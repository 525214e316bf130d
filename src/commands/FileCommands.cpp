#include "commands/FileCommands.h"

#include "app/EditingBox.h"
#include "app/LongTask.h"
#include "app/frmMain.h"
#include "basics/Failure.h"
#include "commands/DocumentFilters.h"
#include "commands/ErrorReport.h"
#include "document/DocumentFile.h"
#include "document/DocumentState.h"
#include "document/FileErrors.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"
#include "text/TextBuffer.h"

#include <QByteArray>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <cerrno>
#include <new>

namespace {
const QString NoFileLoaded = QStringLiteral("No file loaded");
const QString NotSaved = QStringLiteral("Not saved");

void setDocumentTitle(frmMain& window, const QString& name) {
    window.setWindowTitle(name + QLatin1String(" - Notavo"));
}

void reportFailure(frmMain& window, const Failure& failure) {
    // The user stopped it: a line in the status bar, not an error box.
    if (failure.number == ErrorNumber::Cancelled) {
        window.ShowStatus(failure.description);
        return;
    }
    ShowErrorReport(window.messageBox(), &window, failure);
}

// Shows a file dialog with the command's settings; false when the user cancelled.
bool askPath(frmMain& window, bool save, const QString& filter, const QString& title) {
    CommonDialog& dialog = window.dlgFile();
    dialog.filter = filter;
    dialog.title = title;
    return save ? dialog.showSave() : dialog.showOpen();
}

// The user can type at once, without a click into the box first.
void focusEditing(frmMain& window) {
    window.txtMain().widget()->setFocus();
}
} // namespace

void fileNew(frmMain& window) {
    window.setWindowTitle(QStringLiteral("New File - Notavo"));
    window.txtMain().setEnabled(true);
    window.txtMain().setText(QString());
    documentState(window).layout = newDocumentLayout();
    window.hasSavePath = false;
    window.savePath.clear();
    window.ShowStatus(QStringLiteral("New file started"));
    window.fileDirText()->setPlainText(NotSaved);
    window.fNameString()->setText(NotSaved);
    focusEditing(window);
}

namespace {
// A document read and decoded, ready to go into the box.
struct OpenedDocument {
    std::optional<Failure> failure;
    TextBuffer text;
    DocumentLayout layout;
};

// Reads and decodes the file; the task's units are twice the file's size, reading the first
// half. Run on a worker for a large file.
OpenedDocument readDocument(const QString& path, qint64 size, LongTask& task) {
    OpenedDocument opened;
    QByteArray bytes;
    opened.failure = readDocumentFile(path, bytes, [&task](qint64 done) {
        task.setDone(done);
        return !task.cancelled();
    });
    if (opened.failure || task.cancelled())
        return opened;
    task.setDone(size);
    // Most documents fit in Latin-1, which decodes in half the memory and time.
    if (auto compact = decodeCompactDocument(bytes)) {
        bytes = QByteArray(); // a large file is not held twice longer than needed
        opened.layout = std::move(compact->layout);
        if (task.cancelled())
            return opened;
        task.setDone(size * 3 / 2);
        opened.text = TextBuffer(std::move(compact->latin1));
    } else {
        DecodedDocument document = decodeDocument(bytes);
        bytes = QByteArray();
        opened.layout = std::move(document.layout);
        if (task.cancelled())
            return opened;
        task.setDone(size * 3 / 2);
        opened.text = TextBuffer(std::move(document.text));
    }
    task.setDone(2 * size);
    return opened;
}
} // namespace

void fileOpen(frmMain& window, const QString& filter) {
    if (!askPath(window, false, filter, DocumentFilters::OpenTitle))
        return;
    const QString path = window.dlgFile().fileName;
    const QString name = window.dlgFile().fileTitle;
    // Keys typed while a large file opens are kept by the hold and applied once the new text is
    // in the box, to the new text.
    WindowHold hold(window);
    try {
        // Read and decoded on a worker for a large file, so the window stays live and the user
        // can cancel; the document in hand is only replaced once the new one is complete.
        const qint64 size = QFileInfo(path).size();
        std::optional<OpenedDocument> opened =
            runLongTask(hold, QLatin1String("Opening ") + path, {size, 2 * size},
                        [&path, size](LongTask& task) { return readDocument(path, size, task); });
        if (!opened) {
            hold.release();
            window.ShowStatus(QLatin1String("Opening cancelled: ") + path);
            return;
        }
        if (opened->failure) {
            hold.release();
            reportFailure(window, *opened->failure);
            return;
        }
        window.txtMain().setText(std::move(opened->text));
        documentState(window).layout = std::move(opened->layout);
    } catch (const std::bad_alloc&) {
        hold.release();
        reportFailure(window,
                      fileFailure(ENOMEM, QStringLiteral("Read file"), path, FileAction::Read));
        return;
    }
    // Save and auto-save now write back to the opened file, never over an earlier one.
    window.savePath = path;
    window.hasSavePath = true;
    setDocumentTitle(window, name);
    window.txtMain().setEnabled(true);
    window.fileDirText()->setPlainText(path);
    window.ShowStatus(QLatin1String("Opened file: ") + path);
    window.fNameString()->setText(name);
    focusEditing(window);
}

namespace {
// A save through the dialog. Save names the file in the panel before it writes, Save As and
// Save Custom only after a successful write, so a failure leaves each as it always has.
void saveThroughDialog(frmMain& window, const QString& filter, const QString& title,
                       bool nameBeforeWrite) {
    if (!askPath(window, true, filter, title))
        return;
    const QString path = window.dlgFile().fileName;
    const QString name = window.dlgFile().fileTitle;
    window.savePath = path;
    window.hasSavePath = true;
    if (nameBeforeWrite)
        window.fNameString()->setText(name);
    window.fileDirText()->setPlainText(path);
    if (const auto failure = writeDocument(window, path)) {
        reportFailure(window, *failure);
        return;
    }
    setDocumentTitle(window, name);
    window.ShowStatus(QLatin1String("Saved file to ") + window.savePath);
    window.fNameString()->setText(name);
}
} // namespace

void fileSave(frmMain& window) {
    if (!window.hasSavePath) {
        saveThroughDialog(window, DocumentFilters::Notavo, DocumentFilters::SaveTitle, true);
        return;
    }
    if (const auto failure = writeDocument(window, window.savePath)) {
        reportFailure(window, *failure);
        return;
    }
    window.ShowStatus(QLatin1String("Auto-Saved file to ") + window.savePath);
}

void fileSaveAs(frmMain& window, const QString& filter, const QString& title) {
    saveThroughDialog(window, filter, title, false);
}

void fileClear(frmMain& window) {
    const auto answer = window.messageBox().show(
        &window, QStringLiteral("Do you want to save first?"), QStringLiteral("Save"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
    if (answer == QMessageBox::Yes) {
        if (!askPath(window, true, DocumentFilters::ClearSave, DocumentFilters::SaveTitle)) {
            // An emptied box is a new document, whose text is written as New's is. A
            // remembered location would let the next Save or auto-save write that emptiness
            // over the file the panel still names.
            window.txtMain().setText(QString());
            documentState(window).layout = newDocumentLayout();
            window.hasSavePath = false;
            return;
        }
        // Added after whatever the chosen file already holds.
        const QString path = window.dlgFile().fileName;
        std::optional<Failure> failure;
        try {
            const QByteArray bytes = documentBytes(window);
            failure = refuseUnopenable(QFileInfo(path).size() + bytes.size(),
                                       QStringLiteral("Save file"), path);
            if (!failure)
                failure = appendToFile(path, bytes);
        } catch (const std::bad_alloc&) {
            failure = fileFailure(ENOMEM, QStringLiteral("Save file"), path, FileAction::Write);
        }
        if (failure) {
            // The text was not saved, so it stays in the box rather than being lost.
            reportFailure(window, *failure);
            return;
        }
        window.txtMain().setText(QString());
        window.setWindowTitle(QStringLiteral("Notavo"));
        window.hasSavePath = false;
        window.savePath.clear();
        window.ShowStatus(QStringLiteral("Cleared"));
    } else {
        window.txtMain().setText(QString());
        window.hasSavePath = false;
    }
    documentState(window).layout = newDocumentLayout();
    window.fileDirText()->setPlainText(NoFileLoaded);
    window.fNameString()->setText(NoFileLoaded);
}
