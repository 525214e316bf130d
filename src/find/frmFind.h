#pragma once

#include "text/TextSearch.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class OutcomeLabel;

// The find and replace window. Not modal and apart from the main window, whose designed layout
// stays as it is: the user keeps typing in the document while it is open. Its buttons run the
// main window's commands and are enabled exactly when those are (the long-work hold included);
// Escape, Close or the close box hides it and hands the keyboard back to the document.
class frmFind : public QDialog {
    Q_OBJECT
public:
    struct Commands {
        QAction* next;
        QAction* previous;
        QAction* replace;
        QAction* replaceAll;
    };
    frmFind(QWidget* owner, const Commands& commands);

    // Shows the window for finding or for replacing, brought forward with the keyboard in the
    // text field; a selection of the document, when given, is what to find.
    void showFor(bool replacing, const QString& selection);
    // Moves the window off an area of the screen (the line of a match): below it, or above.
    void keepClearOf(const QRect& area);
    // What the last command found or did, under the fields (empty: nothing to tell), and to a
    // screen reader, while the keyboard stays where it is.
    void showOutcome(const QString& text);
    QString outcomeText() const;
    QString wanted() const;
    QString replacement() const;
    TextSearch::Options options() const;

    QLineEdit* txtFind() const { return findField; }
    QLineEdit* txtReplace() const { return replaceField; }
    QCheckBox* chkMatchCase() const { return matchCase; }
    QCheckBox* chkWholeWord() const { return wholeWord; }

private:
    QLineEdit* findField = nullptr;
    QLabel* replaceCaption = nullptr;
    QLineEdit* replaceField = nullptr;
    QCheckBox* matchCase = nullptr;
    QCheckBox* wholeWord = nullptr;
    OutcomeLabel* outcome = nullptr;
    QList<QWidget*> replacing; // shown only for Replace
    bool placed = false;
};
