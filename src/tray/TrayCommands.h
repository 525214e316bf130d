#pragma once

class frmMain;

// Wires Minimize to tray and the tray icon's menu to the main window.
void connectTrayCommands(frmMain& window);
