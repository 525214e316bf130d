#include "platform/QtPlatform.h"

#include "platform/LinuxFileTypeRegistry.h"
#include "platform/MessageBox.h"
#include "platform/QtCommonDialog.h"

QtPlatform::QtPlatform()
    : dialogs(std::make_unique<QtCommonDialog>()), messages(std::make_unique<QtMessageBox>()),
      fileTypes(std::make_unique<LinuxFileTypeRegistry>()) {
    seams.dlgFile = dialogs.get();
    seams.messageBox = messages.get();
    seams.fileTypes = fileTypes.get();
}

QtPlatform::~QtPlatform() = default;
