#pragma once

class CommonDialog;
class MessageBox;
class Printer;
class TrayHost;
class SystemRegistry;
class FileTypeRegistry;
class Shell;

// Everything that touches the operating system, handed to the windows. The program uses the
// Qt/Linux implementations (makeQtPlatform); tests fill it with scripted fakes.
struct Platform {
    CommonDialog* dlgFile = nullptr;
    MessageBox* messageBox = nullptr;
    Printer* printer = nullptr;
    TrayHost* trayHost = nullptr;
    SystemRegistry* registry = nullptr;
    FileTypeRegistry* fileTypes = nullptr;
    Shell* shell = nullptr;
};
