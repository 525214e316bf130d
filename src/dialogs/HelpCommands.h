#pragma once

class frmMain;

// Wires Help Topics, About and Report A Bug to the main window.
void connectHelpCommands(frmMain& window);
