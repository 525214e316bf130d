#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct Platform;

// The bug-report form: error ID, the reporter's address and a description become a "mailto:"
// message handed to the user's mail program. It closes after each hand-over.
class frmBugReport : public QWidget {
    Q_OBJECT
public:
    explicit frmBugReport(Platform& platform, QWidget* parent = nullptr);

    QLineEdit* txtID() const { return idBox; }
    QLineEdit* txtName() const { return nameBox; }
    QPlainTextEdit* txtBug() const { return bugBox; }
    QPushButton* cmdContinue() const { return continueButton; }
    QPushButton* cmdWhy() const { return whyButton; }

    // The mailbox reports go to, fixed at build time.
    static QString BugReportAddress();

private:
    void cmdWhyClick();
    void cmdContinueClick();

    Platform& seams;
    QLineEdit* idBox = nullptr;
    QLineEdit* nameBox = nullptr;
    QPlainTextEdit* bugBox = nullptr;
    QPushButton* continueButton = nullptr;
    QPushButton* whyButton = nullptr;
};
