#include "platform/QtPlatform.h"

#include "platform/MessageBox.h"
#include "platform/QtCommonDialog.h"
#include "platform/QtTrayHost.h"
#include "platform/Shell.h"
#include "platform/SystemRegistry.h"

QtPlatform::QtPlatform()
    : dialogs(std::make_unique<QtCommonDialog>()), messages(std::make_unique<QtMessageBox>()),
      tray(std::make_unique<QtTrayHost>()), systemRegistry(std::make_unique<LinuxSystemRegistry>()),
      programs(std::make_unique<QtShell>()) {
    seams.dlgFile = dialogs.get();
    seams.messageBox = messages.get();
    seams.trayHost = tray.get();
    seams.registry = systemRegistry.get();
    seams.shell = programs.get();
}

QtPlatform::~QtPlatform() = default;
