#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <type_traits>
#include <vector>

class QAction;
class QMainWindow;
class TextView;

// What a long piece of work and the window share: how far it got, and whether the user asked
// it to stop. The work reads cancelled() between steps and returns soon after it turns true;
// whatever it returns then is thrown away.
class LongTask {
public:
    explicit LongTask(qint64 total) : totalUnits(total) {}
    void advance(qint64 units) { doneUnits += units; }
    void setDone(qint64 units) { doneUnits = units; }
    qint64 done() const { return doneUnits; }
    qint64 total() const { return totalUnits; }
    bool cancelled() const { return cancelRequested; }
    void cancel() { cancelRequested = true; }
    // Said by the work once what it did cannot be taken back (the file is replaced): a cancel
    // from then on comes too late, and the result stands.
    void commit() { committedWork = true; }
    bool committed() const { return committedWork; }

private:
    std::atomic<qint64> doneUnits{0};
    const qint64 totalUnits;
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> committedWork{false};
};

// Keeps the window's commands and typing still while long work reads or replaces the document:
// its actions are disabled and keys (and input-method text) typed into the editing box are kept.
// Made by the command, so that it can put the work's result in place before the hold ends and
// the kept keys are applied to it.
class WindowHold {
public:
    WindowHold(QMainWindow& window, TextView& box) : held(window), heldBox(box) {}
    ~WindowHold() { release(); }
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;

    QMainWindow& window() const { return held; }
    // Done by runLongTask when the work goes to a worker; small work needs no hold.
    void engage();
    // Actions back, and the kept keys applied in the order they came.
    void release();

private:
    QMainWindow& held;
    TextView& heldBox;
    bool engaged = false;
    std::vector<QAction*> disabled;
};

// How large the work is: its document's size in bytes, which decides whether it runs on a
// worker, and the units its progress is counted in.
struct LongTaskSize {
    qint64 bytes = 0;
    qint64 units = 0;
};

// Documents below this size open and save without a worker: they take a few milliseconds.
inline constexpr qint64 inlineBelow = qint64(8) << 20;

namespace LongWork {
// Runs job on a worker thread (on this one when no thread can be started) while the window
// stays live: it repaints, scrolls, and after a moment shows the label, a progress bar
// (objectName "prgLongTask") and a "Cancel" button (objectName "cmdCancelTask") in the status
// bar; auto-save skips its ticks meanwhile. False when the job's result is to be thrown away:
// cancelled, by the button or by the program quitting, before the work committed.
bool runOnWorker(WindowHold& hold, const QString& label, LongTask& task,
                 const std::function<void()>& job);
// Makes every later start of a worker fail as if the system had no thread left, so that tests
// reach the way the work is then done.
void refuseThreadsForTesting(bool refused);
} // namespace LongWork

// Runs work(task) and hands back what it returned, or std::nullopt when it was cancelled before
// it committed. Small work (size.bytes below inlineBelow) runs at once on this thread; larger
// work on a worker with the window held by hold (see LongWork::runOnWorker). What the work
// throws (std::bad_alloc, say) is thrown here, on the window's thread.
template <typename Work>
auto runLongTask(WindowHold& hold, const QString& label, LongTaskSize size, Work&& work)
    -> std::optional<std::invoke_result_t<Work&, LongTask&>> {
    using Result = std::invoke_result_t<Work&, LongTask&>;
    LongTask task(size.units);
    if (size.bytes < inlineBelow)
        return work(task);
    std::packaged_task<Result()> job([&work, &task] { return work(task); });
    std::future<Result> result = job.get_future();
    if (!LongWork::runOnWorker(hold, label, task, [&job] { job(); }))
        return std::nullopt;
    return result.get();
}
