#pragma once

#include <QString>
#include <functional>

class CommonDialog;
class Document;
class MessageBox;
class QWidget;

// What the print command acts on.
struct PrintSeams {
    Document& document;
    CommonDialog& dlgFile;
    MessageBox& messageBox;
    // Holds the Print entry and parents the message boxes.
    QWidget& window;
    std::function<void(const QString& message)> ShowStatus;
    std::function<void(const QString& text)> setStatusText;
    // Composes the page window and prints it, then shows it; printed runs once the page has
    // closed itself. False, with the reason and no window left, when the printer failed.
    std::function<bool(QString& failure, std::function<void()> printed)> printPage;
};

// Wires the print command to its menu entry.
void connectPrintCommand(const PrintSeams& seams);
