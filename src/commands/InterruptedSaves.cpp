#include "commands/InterruptedSaves.h"

#include "commands/ErrorReport.h"
#include "document/InterruptedSave.h"
#include "platform/MessageBox.h"

#include <QFileInfo>

namespace {

void offer(MessageBox& messageBox, QWidget* parent, const InterruptedSave& save) {
    const QString name = QFileInfo(save.target).fileName();
    const auto answer = messageBox.show(
        parent,
        QLatin1String("The last save of \"") + name +
            QLatin1String("\" was interrupted. Put back its earlier content?"),
        QStringLiteral("Notavo"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
    const QString kept = QLatin1String("The earlier content of \"") + name +
                         QLatin1String("\" is kept in \"") + save.backup + QLatin1String("\".");
    if (answer == QMessageBox::Yes) {
        if (auto failure = putBack(save)) {
            forget(save);
            failure->description += u' ' + kept;
            ShowErrorReport(messageBox, parent, *failure);
        }
        return;
    }
    forget(save);
    messageBox.show(parent, kept, QStringLiteral("Notavo"), QMessageBox::Ok,
                    QMessageBox::Information);
}

} // namespace

void offerInterruptedSaves(MessageBox& messageBox, QWidget* parent) {
    for (const InterruptedSave& save : interruptedSaves())
        offer(messageBox, parent, save);
}

void offerInterruptedSave(MessageBox& messageBox, QWidget* parent, const QString& path) {
    if (const auto save = interruptedSaveOf(path))
        offer(messageBox, parent, *save);
}
