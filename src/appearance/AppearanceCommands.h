#pragma once

class frmMain;

// Wires Background Colour, Font and Font Colour to the main window.
void connectAppearanceCommands(frmMain& window);
