#include "platform/QtPlatform.h"

#include "platform/LinuxFileTypeRegistry.h"
#include "platform/MessageBox.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtPrinter.h"
#include "platform/QtTrayHost.h"
#include "platform/Shell.h"
#include "platform/SystemRegistry.h"

QtPlatform::QtPlatform()
    : printer(std::make_unique<QtPrinter>()),
      dialogs(std::make_unique<QtCommonDialog>(printer.get())),
      messages(std::make_unique<QtMessageBox>()),
      fileTypes(std::make_unique<LinuxFileTypeRegistry>()), tray(std::make_unique<QtTrayHost>()),
      systemRegistry(std::make_unique<LinuxSystemRegistry>()),
      programs(std::make_unique<QtShell>()) {
    seams.dlgFile = dialogs.get();
    seams.messageBox = messages.get();
    seams.printer = printer.get();
    seams.fileTypes = fileTypes.get();
    seams.trayHost = tray.get();
    seams.registry = systemRegistry.get();
    seams.shell = programs.get();
}

QtPlatform::~QtPlatform() = default;
