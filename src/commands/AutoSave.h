#pragma once

#include <QObject>
#include <QString>

class frmMain;

// Once a minute while "AutoSave" is checked: writes the document to its remembered location,
// or says there is none. Ticks that come while a dialog or message box is open are skipped,
// so its own box never piles up; a failing write is reported once until a write succeeds.
class AutoSave : public QObject {
    Q_OBJECT
public:
    explicit AutoSave(frmMain& window);

    void tick();
    // Click on autosavecheck: the timer runs, keeping its countdown.
    void checkClicked();

private:
    frmMain& window;
    bool failureReported = false;
    QString failedPath;
};
