#pragma once

#include <array>

class CommonDialog;
class MessageBox;
class QWidget;
class SettingsStore;
class TextView;

// What Background Colour, Font and Font Colour act on.
struct AppearanceSeams {
    CommonDialog& dlgFile;
    MessageBox& messageBox;
    SettingsStore& settings;
    // Holds the three menu entries and parents the message box.
    QWidget& window;
    TextView& txtMain;
    // The client area, then the frame, the two captions, the name read-out and the AutoSave box:
    // one background colour, stored under these names in this order.
    std::array<QWidget*, 6> painted;
};

// Wires Background Colour, Font and Font Colour to their menu entries.
void connectAppearanceCommands(const AppearanceSeams& seams);
