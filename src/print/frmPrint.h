#pragma once

#include <QWidget>
#include <functional>

class CommonDialog;
class Document;
class Printer;
class QLabel;
class QTextEdit;
class QTimer;
class SettingsStore;

// What the page is made from: the document, the stored look, the font dialog's present choice
// (the default face) and the printer, on the window that owns the page.
struct PrintSource {
    QWidget& owner;
    const Document& document;
    const SettingsStore& settings;
    const CommonDialog& dlgFile;
    Printer* printer;
};

// The page-sized print window: the header band `bar` naming the document and the body
// `txtToPrint` with the editor's text. load() composes the page from the main window and the
// settings; `closeme` unloads the window 200 ms after the load.
class frmPrint : public QWidget {
    Q_OBJECT
public:
    explicit frmPrint(const PrintSource& source);

    // Composes the page and prints it; false (with the reason) when the printer failed.
    [[nodiscard]] bool load(QString& failure);

    QLabel* bar() const { return header; }
    QTextEdit* txtToPrint() const { return body; }
    QTimer* closeme() const { return closeTimer; }

public Q_SLOTS:
    void closemeTick();

Q_SIGNALS:
    // The window has closed itself after printing; it is deleted once the slots have run.
    void unloaded();

private:
    void applyAlignment(int code);

    PrintSource source;
    QLabel* header;
    QTextEdit* body;
    QTimer* closeTimer;
};

// Makes the page window on the owner, prints it and shows it; printed runs once the page has
// closed itself. False, with the reason and the window gone, when the printer failed.
[[nodiscard]] bool printPage(const PrintSource& source, QString& failure,
                             const std::function<void()>& printed);
