#pragma once

#include "app/frmMain.h"
#include "wiring/Commands.h"

// The main window with every command connected: what the program shows and what the widget
// tests drive.
class MainWindow : public frmMain {
public:
    MainWindow(Platform& platform, SettingsStore& settings, QWidget* parent = nullptr)
        : frmMain(platform, settings, parent) {
        connectCommands(*this);
    }
};
