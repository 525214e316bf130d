#pragma once

class frmMain;

// Wires the file commands, auto-save and Convert File to the main window.
void connectDocumentCommands(frmMain& window);

// At start-up, after the first-run window: offers the text a run that did not close normally
// left in its journal.
void offerDocumentRecovery(frmMain& window);
