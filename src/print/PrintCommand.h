#pragma once

class frmMain;

// Wires the print command to the main window.
void connectPrintCommand(frmMain& window);
