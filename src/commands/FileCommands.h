#pragma once

class QString;
class frmMain;

// The seven file commands on the document in hand. Each runs to completion; a cancelled dialog
// ends it without a change, any other failure goes to ShowErrorReport.
void fileNew(frmMain& window); // also the tray menu's "New File"
void fileOpen(frmMain& window, const QString& filter);
void fileSave(frmMain& window);
void fileSaveAs(frmMain& window, const QString& filter, const QString& title);
void fileClear(frmMain& window);
