#pragma once

#include <QString>
#include <functional>

class CommonDialog;
class Document;
class MessageBox;
class QMainWindow;
class TextView;

// What the document commands act on: the document, and the parts of the window they use.
struct DocumentSeams {
    Document& document;
    CommonDialog& dlgFile;
    MessageBox& messageBox;
    // The parent of the message boxes; while long work runs its actions wait and its status bar
    // shows the progress.
    QMainWindow& window;
    // Enabled and given the keyboard by New and Open; keys typed into it wait for long work.
    TextView& txtMain;
    std::function<void(const QString& message)> ShowStatus;
};
