#pragma once

class QString;
struct DocumentSeams;

// The seven file commands on the document in hand. Each runs to completion; a cancelled dialog
// ends it without a change, any other failure goes to ShowErrorReport.
void fileNew(const DocumentSeams& seams); // also the tray menu's "New File"
void fileOpen(const DocumentSeams& seams, const QString& filter);
void fileSave(const DocumentSeams& seams);
void fileSaveAs(const DocumentSeams& seams, const QString& filter, const QString& title);
void fileClear(const DocumentSeams& seams);
