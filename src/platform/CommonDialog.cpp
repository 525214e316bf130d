#include "platform/CommonDialog.h"

#include "platform/ModalScope.h"

#include <QFileInfo>

bool CommonDialog::takePath(const std::optional<QString>& path) {
    if (!path || path->isEmpty())
        return false;
    fileName = *path;
    fileTitle = QFileInfo(*path).fileName();
    return true;
}

bool CommonDialog::showOpen() {
    ModalScope modal;
    return takePath(askOpenPath());
}

bool CommonDialog::showSave() {
    ModalScope modal;
    return takePath(askSavePath());
}

bool CommonDialog::showColor() {
    ModalScope modal;
    const auto chosen = askColor();
    if (chosen)
        color = *chosen;
    return chosen.has_value();
}

bool CommonDialog::showFont() {
    ModalScope modal;
    const auto chosen = askFont();
    if (chosen)
        font = *chosen;
    return chosen.has_value();
}

bool CommonDialog::showPrinter() {
    ModalScope modal;
    return askPrinter();
}
