#include "commands/AutoSave.h"

#include "app/frmMain.h"
#include "basics/Failure.h"
#include "commands/ErrorReport.h"
#include "document/DocumentState.h"
#include "platform/MessageBox.h"
#include "platform/ModalScope.h"

#include <QCheckBox>
#include <QTimer>

AutoSave::AutoSave(frmMain& mainWindow) : QObject(&mainWindow), window(mainWindow) {
    setObjectName(QStringLiteral("autoSave"));
}

void AutoSave::tick() {
    // A tick inside a nested event loop would write behind a command's back or stack boxes.
    if (ModalScope::anyOpen())
        return;
    if (!window.autosavecheck()->isChecked())
        return;
    if (window.hasSavePath) {
        const QString path = window.savePath;
        if (const auto failure = writeDocument(window, path)) {
            if (failure->number == ErrorNumber::Cancelled) {
                window.ShowStatus(failure->description);
                return;
            }
            if (!failureReported || failedPath != path) {
                failureReported = true;
                failedPath = path;
                ShowErrorReport(window.messageBox(), &window, *failure);
            }
            return;
        }
        failureReported = false;
        window.ShowStatus(QLatin1String("Auto-Saved file to ") + path);
        return;
    }
    window.messageBox().show(
        &window, QStringLiteral("AutoSave is on, but there is no file to save. Aborted"),
        QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
}

void AutoSave::checkClicked() {
    if (!window.autosavetimer()->isActive())
        window.autosavetimer()->start();
}
