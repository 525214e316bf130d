#pragma once

class frmMain;

// Wires Find, Find Next, Find Previous, Replace and Go To Line to the main window. They are
// enabled while the editing box holds a document (after New or Open) and search its text in
// place; a search through a large document runs as long work, with progress and Cancel.
void connectFindCommands(frmMain& window);
