#pragma once

class frmMain;

// Convert File: writes a chosen file's content under another name, in the document format.
// The document in hand is not touched.
void convertFile(frmMain& window);
