#include "commands/AutoSave.h"

#include "basics/Failure.h"
#include "commands/EncodingCheck.h"
#include "commands/ErrorReport.h"
#include "commands/WriteDocument.h"
#include "document/Document.h"
#include "document/FileErrors.h"
#include "platform/MessageBox.h"
#include "platform/ModalScope.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QMainWindow>
#include <QTimer>

AutoSave::AutoSave(const DocumentSeams& documentSeams, const QCheckBox& autosavecheck,
                   QTimer& autosavetimer)
    : QObject(&documentSeams.window), seams(documentSeams), check(autosavecheck),
      timer(autosavetimer) {
    setObjectName(QStringLiteral("autoSave"));
}

void AutoSave::tick() {
    // A tick inside a nested event loop would write behind a command's back or stack boxes.
    if (ModalScope::anyOpen())
        return;
    if (!check.isChecked())
        return;
    if (seams.document.hasSavePath()) {
        const QString path = seams.document.savePath();
        if (!documentEncodingHolds(seams, QFileInfo(path).fileName()))
            return;
        if (const auto failure = writeDocument(seams, path, true)) {
            // The other program's text stays; the user saves over it deliberately or not at all.
            if (failure->number == FileError::ChangedSince) {
                seams.ShowStatus(QLatin1String("Not auto-saved: ") + QFileInfo(path).fileName() +
                                 QLatin1String(" was changed by another program"));
                return;
            }
            if (failure->number == ErrorNumber::Cancelled) {
                seams.ShowStatus(failure->description);
                return;
            }
            if (!failureReported || failedPath != path) {
                failureReported = true;
                failedPath = path;
                ShowErrorReport(seams.messageBox, &seams.window, *failure);
            }
            return;
        }
        failureReported = false;
        seams.ShowStatus(QLatin1String("Auto-Saved file to ") + path);
        return;
    }
    seams.messageBox.show(&seams.window,
                          QStringLiteral("AutoSave is on, but there is no file to save. Aborted"),
                          QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
}

void AutoSave::checkClicked() {
    if (!timer.isActive())
        timer.start();
}
