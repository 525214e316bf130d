#pragma once

#include "commands/FindPanel.h"

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
class frmFind : public QDialog, public FindPanel {
    Q_OBJECT
public:
    frmFind(QWidget* owner, const Commands& commands);

    QDialog& dialog() override { return *this; }
    void showFor(bool replacing, const QString& selection) override;
    void keepClearOf(const QRect& area) override;
    void showOutcome(const QString& text) override;
    QString outcomeText() const;
    QString wanted() const override;
    QString replacement() const override;
    TextSearch::Options options() const override;

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
