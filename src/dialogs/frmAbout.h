#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
struct Platform;

// The about box: title, version and description, and a button that starts the system's
// information program. Shown modeless; closing it discards it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(Platform& platform, QWidget* owner = nullptr);

    QLabel* lblTitle() const { return title; }
    QLabel* lblVersion() const { return version; }
    QLabel* lblDescription() const { return description; }
    QPushButton* cmdOK() const { return okButton; }
    QPushButton* cmdSysInfo() const { return sysInfoButton; }

private:
    void load();

    Platform& seams;
    QLabel* title = nullptr;
    QLabel* version = nullptr;
    QLabel* description = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* sysInfoButton = nullptr;
};
