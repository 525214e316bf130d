#include "app/LongTask.h"

#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "platform/ModalScope.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <thread>
#include <vector>

namespace {

// How long work may run before its progress is shown: shorter waits would only flicker.
constexpr int showAfterMs = 150;

// Holds the window's commands and typing still while the work reads or replaces the document.
class WindowHold {
public:
    explicit WindowHold(frmMain& window) : window(window) {
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->isEnabled()) {
                action->setEnabled(false);
                disabled.push_back(action);
            }
        }
        window.txtMain().setHeld(true);
    }
    ~WindowHold() {
        for (QAction* action : disabled)
            action->setEnabled(true);
        window.txtMain().setHeld(false);
    }
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;

private:
    frmMain& window;
    std::vector<QAction*> disabled;
};

} // namespace

bool runLongTask(frmMain& window, const QString& label, qint64 total,
                 const std::function<void(LongTask&)>& work) {
    LongTask task(total);
    if (total < inlineBelow) {
        work(task);
        return !task.stopped();
    }
    const ModalScope nested; // auto-save must not write in the middle of this
    const WindowHold hold(window);
    std::atomic<bool> finished{false};
    std::thread worker;

    QStatusBar* bar = window.statusBar();
    auto* caption = new QLabel(label, bar);
    auto* progress = new QProgressBar(bar);
    progress->setObjectName(QStringLiteral("prgLongTask"));
    progress->setRange(0, 1000);
    progress->setMaximumWidth(200);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), bar);
    cancel->setObjectName(QStringLiteral("cmdCancelTask"));
    QObject::connect(cancel, &QPushButton::clicked, [&task] { task.cancel(); });
    const QList<QWidget*> shown{caption, progress, cancel};
    for (QWidget* widget : shown) {
        bar->addPermanentWidget(widget);
        widget->hide();
    }

    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer poll;
    poll.setInterval(15);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        if (elapsed.elapsed() >= showAfterMs && caption->isHidden()) {
            for (QWidget* widget : shown)
                widget->show();
        }
        if (task.total() > 0)
            progress->setValue(int(std::min<qint64>(1000, task.done() * 1000 / task.total())));
    });
    poll.start();
    // Started from the loop, so whatever was queued before it (a Cancel, say) is seen first.
    QMetaObject::invokeMethod(
        &loop,
        [&] {
            worker = std::thread([&] {
                work(task);
                finished = true;
            });
        },
        Qt::QueuedConnection);
    loop.exec();
    // The loop also ends when the program is quitting: the work is told to stop and waited for.
    if (!finished)
        task.cancel();
    if (worker.joinable())
        worker.join();
    else
        task.stop(); // it never began
    for (QWidget* widget : shown)
        delete widget;
    return !task.stopped();
}
