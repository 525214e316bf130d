#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class OutcomeLabel;

// Asks for a line to go to, from 1 to the last; a number past the end means the last line.
// What is not a line number is refused in the dialog with a word why, never passed over.
class frmGoToLine : public QDialog {
    Q_OBJECT
public:
    frmGoToLine(QWidget* owner, qsizetype lineCount, qsizetype currentLine);

    // The chosen line, counted from 0, once accepted.
    qsizetype line() const { return chosen; }
    void accept() override;

    QLineEdit* txtLine() const { return field; }
    QLabel* lblProblem() const;

Q_SIGNALS:
    // A refusal, also shown (and told to a screen reader) in the dialog.
    void refused(const QString& why);

private:
    qsizetype lines;
    qsizetype chosen = 0;
    QLineEdit* field = nullptr;
    OutcomeLabel* problem = nullptr;
};

// Asks on owner for a line to go to while auto-save waits, as for any dialog; refusals also go to
// refused. The chosen line, counted from 0, or nothing when the user cancelled.
std::optional<qsizetype> askForLine(QWidget* owner, qsizetype lineCount, qsizetype currentLine,
                                    const std::function<void(const QString&)>& refused);
