#pragma once

#include <QString>
#include <atomic>
#include <functional>

class frmMain;

// What a long piece of work and the window share: how far it got, and whether the user asked
// it to stop. The work reads cancelled() between chunks and returns soon after it turns true.
class LongTask {
public:
    explicit LongTask(qint64 total) : totalUnits(total) {}
    void advance(qint64 units) { doneUnits += units; }
    void setDone(qint64 units) { doneUnits = units; }
    qint64 done() const { return doneUnits; }
    qint64 total() const { return totalUnits; }
    bool cancelled() const { return cancelRequested; }
    void cancel() { cancelRequested = true; }
    // Said by the work when it gave up because of cancelled(); work that finished anyway counts
    // as done, so a save that already replaced the file is never reported as cancelled.
    void stop() { stoppedEarly = true; }
    bool stopped() const { return stoppedEarly; }

private:
    std::atomic<qint64> doneUnits{0};
    const qint64 totalUnits;
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> stoppedEarly{false};
};

// Runs work for a large document on a worker thread while the window stays live: it repaints,
// scrolls, and after a moment shows the label, a progress bar (objectName "prgLongTask") and a
// "Cancel" button (objectName "cmdCancelTask") in the status bar. Meanwhile the window's
// commands and typing wait, and auto-save skips its ticks. Small work (total below
// inlineBelow) runs at once on this thread. Answers false when the work stopped early because
// it was cancelled, by the button or by the program quitting.
bool runLongTask(frmMain& window, const QString& label, qint64 total,
                 const std::function<void(LongTask&)>& work);

// Documents below this size open and save without a worker: they take a few milliseconds.
inline constexpr qint64 inlineBelow = qint64(8) << 20;
