#pragma once

#include "commands/DocumentSeams.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QTimer;

// Once a minute while "AutoSave" is checked: writes the document to its remembered location,
// or says there is none. Ticks that come while a dialog or message box is open are skipped,
// so its own box never piles up; a failing write is reported once until a write succeeds.
class AutoSave : public QObject {
    Q_OBJECT
public:
    AutoSave(const DocumentSeams& seams, const QCheckBox& autosavecheck, QTimer& autosavetimer);

    void tick();
    // Click on autosavecheck: the timer runs, keeping its countdown.
    void checkClicked();

private:
    DocumentSeams seams;
    const QCheckBox& check;
    QTimer& timer;
    bool failureReported = false;
    QString failedPath;
};
