#pragma once

#include <QAccessible>
#include <QLabel>

// A line under a dialog's fields that tells what its last command did ("Not found: dog"). A
// screen reader meets it as a status line (or as an alert, for a refusal) and hears each new
// text, while the focus stays in the field being typed in.
class OutcomeLabel : public QLabel {
    Q_OBJECT
public:
    OutcomeLabel(QAccessible::Role role, QWidget* parent);

    QAccessible::Role accessibleRole() const { return role; }
    // Shows the text (hidden when empty) and tells a screen reader of it.
    void showOutcome(const QString& outcome);

private:
    QAccessible::Role role;
};
