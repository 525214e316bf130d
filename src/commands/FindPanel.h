#pragma once

#include "text/TextSearch.h"

#include <QString>

class QAction;
class QDialog;
class QRect;

// The find and replace window as the find commands see it.
class FindPanel {
public:
    // The main window's commands that its buttons run.
    struct Commands {
        QAction* next;
        QAction* previous;
        QAction* replace;
        QAction* replaceAll;
    };

    virtual QDialog& dialog() = 0;
    // Shows the window for finding or for replacing, brought forward with the keyboard in the
    // text field; a selection of the document, when given, is what to find.
    virtual void showFor(bool replacing, const QString& selection) = 0;
    // Moves the window off an area of the screen (the line of a match): below it, or above.
    virtual void keepClearOf(const QRect& area) = 0;
    // What the last command found or did, under the fields (empty: nothing to tell), and to a
    // screen reader, while the keyboard stays where it is.
    virtual void showOutcome(const QString& text) = 0;
    virtual QString wanted() const = 0;
    virtual QString replacement() const = 0;
    virtual TextSearch::Options options() const = 0;

protected:
    ~FindPanel() = default;
};
