#include "platform/QtPlatform.h"

#include "platform/MessageBox.h"
#include "platform/QtCommonDialog.h"

QtPlatform::QtPlatform()
    : dialogs(std::make_unique<QtCommonDialog>()), messages(std::make_unique<QtMessageBox>()) {
    seams.dlgFile = dialogs.get();
    seams.messageBox = messages.get();
}

QtPlatform::~QtPlatform() = default;
