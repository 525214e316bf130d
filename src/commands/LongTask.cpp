#include "commands/LongTask.h"

#include "editor/TextView.h"
#include "platform/ModalScope.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

namespace {
// How long work may run before its progress is shown: shorter waits would only flicker.
constexpr int showAfterMs = 150;
} // namespace

void WindowHold::engage() {
    if (engaged)
        return;
    engaged = true;
    for (QAction* action : held.findChildren<QAction*>()) {
        if (action->isEnabled()) {
            action->setEnabled(false);
            disabled.push_back(action);
        }
    }
    heldBox.setHeld(true);
}

void WindowHold::release() {
    if (!engaged)
        return;
    engaged = false;
    for (QAction* action : disabled)
        action->setEnabled(true);
    disabled.clear();
    heldBox.setHeld(false);
}

namespace {
std::atomic<bool> threadsRefused{false};
} // namespace

void LongWork::refuseThreadsForTesting(bool refused) {
    threadsRefused = refused;
}

bool LongWork::runOnWorker(WindowHold& hold, const QString& label, LongTask& task,
                           const std::function<void()>& job) {
    const ModalScope nested; // auto-save must not write in the middle of this
    hold.engage();
    std::atomic<bool> finished{false};
    std::thread worker;

    QStatusBar* bar = hold.window().statusBar();
    auto* caption = new QLabel(label, bar);
    auto* progress = new QProgressBar(bar);
    progress->setObjectName(QStringLiteral("prgLongTask"));
    progress->setRange(0, 1000);
    progress->setMaximumWidth(200);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), bar);
    cancel->setObjectName(QStringLiteral("cmdCancelTask"));
    QObject::connect(cancel, &QPushButton::clicked, [&task, cancel] {
        task.cancel();
        cancel->setEnabled(false);
    });
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
            try {
                if (threadsRefused)
                    throw std::system_error(
                        std::make_error_code(std::errc::resource_unavailable_try_again));
                worker = std::thread([&] {
                    job();
                    finished = true;
                    try {
                        // Ends the loop at once rather than at the next poll.
                        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
                    } catch (const std::bad_alloc&) {
                    }
                });
            } catch (const std::exception&) {
                // No thread to be had (std::system_error, or std::bad_alloc for its state): the
                // work is done here, frozen rather than not at all.
                job();
                finished = true;
                loop.quit();
            }
        },
        Qt::QueuedConnection);
    loop.exec();
    // The loop also ends when the program is quitting: the work is told to stop and waited for.
    if (!finished)
        task.cancel();
    if (worker.joinable())
        worker.join();
    for (QWidget* widget : shown)
        delete widget;
    return finished && (!task.cancelled() || task.committed());
}
