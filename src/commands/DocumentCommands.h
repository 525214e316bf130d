#pragma once

class frmMain;

// Wires the file commands, auto-save and Convert File to the main window.
void connectDocumentCommands(frmMain& window);
