#pragma once

class frmMain;

// Binds every menu entry of the main window to its command, each through the seams it uses.
void connectCommands(frmMain& window);
