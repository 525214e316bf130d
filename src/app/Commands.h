#pragma once

class frmMain;

// Binds every menu entry of the main window to its command; each subsystem wires its own.
void connectCommands(frmMain& window);
