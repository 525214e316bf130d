#pragma once

#include "commands/FindPanel.h"

#include <QString>
#include <functional>
#include <optional>

class MessageBox;
class QMainWindow;
class TextView;

// What Find, Find Next, Find Previous, Replace and Go To Line act on.
struct FindSeams {
    // Holds the entries, parents the find windows, and waits (its actions off) while long work
    // searches.
    QMainWindow& window;
    TextView& txtMain;
    MessageBox& messageBox;
    std::function<void(const QString& message)> ShowStatus;
    std::function<QString()> statusText;
    std::function<void(const QString& text)> setStatusText;
    // Makes the find window on the first command that needs it; it lives with the window.
    std::function<FindPanel*(const FindPanel::Commands& commands)> findWindow;
    // Asks for a line to go to, counted from 0; nothing when the user cancelled.
    std::function<std::optional<qsizetype>(qsizetype lineCount, qsizetype currentLine)> askLine;
};

// Wires Find, Find Next, Find Previous, Replace and Go To Line to the main window. They are
// enabled while the editing box holds a document (after New or Open) and search its text in
// place; a search through a large document runs as long work, with progress and Cancel.
void connectFindCommands(const FindSeams& seams);
