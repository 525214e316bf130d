#include "platform/QtPlatform.h"

#include "platform/LinuxFileTypeRegistry.h"
#include "platform/MessageBox.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtPrinter.h"

QtPlatform::QtPlatform()
    : printer(std::make_unique<QtPrinter>()),
      dialogs(std::make_unique<QtCommonDialog>(printer->current())),
      messages(std::make_unique<QtMessageBox>()),
      fileTypes(std::make_unique<LinuxFileTypeRegistry>()) {
    seams.dlgFile = dialogs.get();
    seams.messageBox = messages.get();
    seams.printer = printer.get();
    seams.fileTypes = fileTypes.get();
}

QtPlatform::~QtPlatform() = default;
