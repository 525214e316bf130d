#pragma once

#include "platform/Platform.h"

#include <memory>

class LinuxFileTypeRegistry;
class QtCommonDialog;
class QtMessageBox;
class QtPrinter;
class QtShell;
class QtTrayHost;
class LinuxSystemRegistry;

// Owns the Qt/Linux implementation of every platform seam for the program's run.
class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    Platform& platform() { return seams; }

private:
    std::unique_ptr<QtPrinter> printer;
    std::unique_ptr<QtCommonDialog> dialogs;
    std::unique_ptr<QtMessageBox> messages;
    std::unique_ptr<LinuxFileTypeRegistry> fileTypes;
    std::unique_ptr<QtTrayHost> tray;
    std::unique_ptr<LinuxSystemRegistry> systemRegistry;
    std::unique_ptr<QtShell> programs;
    Platform seams;
};
