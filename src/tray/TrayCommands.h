#pragma once

class frmMain;

// Wires Minimize to tray and the tray icon's menu to the main window.
void connectTrayCommands(frmMain& window);

// Puts the icon, with the window's caption as its tip, into the notification area; refused
// while the icon is present.
void AddTrayIcon(frmMain& window);
