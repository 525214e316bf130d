#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;
class SettingsStore;
struct Platform;

// The start object: on the first run for a user it greets and offers the .nv association;
// on every later run it is never shown and asks for the main window at once.
class frmFirstTime : public QWidget {
    Q_OBJECT
public:
    frmFirstTime(Platform& platform, SettingsStore& settings, QWidget* parent = nullptr);

    // The first-run decision, run once at start.
    void load();

    QCheckBox* addextensions() const { return associateBox; }
    QPushButton* cStartNotavo() const { return startButton; }

Q_SIGNALS:
    void startMain();          // show the main window
    void closedWithoutStart(); // the close box was used on the first run: the program ends

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cStartNotavoClick();
    void addextensionsClick();

    Platform& seams;
    SettingsStore& store;
    QCheckBox* associateBox = nullptr;
    QPushButton* startButton = nullptr;
    bool started = false;
};
