#pragma once

#include <QIcon>
#include <functional>

class MessageBox;
class QMenu;
class QWidget;
class TrayHost;

// What Minimize to tray and the tray icon's menu act on.
struct TraySeams {
    // None where the program has no notification area to use.
    TrayHost* trayHost;
    MessageBox& messageBox;
    // The main window: hidden to the tray and brought back; it holds the menu entries.
    QWidget& window;
    // The icon's menu, its entries numbered by their "index" property.
    QMenu& mPopup;
    std::function<QIcon()> icon;
    // Ends the program at once: nothing is asked or saved.
    std::function<void()> close;
};

// Wires Minimize to tray and the tray icon's menu to the main window.
void connectTrayCommands(const TraySeams& seams);

// Puts the icon, with the window's caption as its tip, into the notification area; refused
// while the icon is present.
void AddTrayIcon(const TraySeams& seams);
