#include "app/TerminationSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};

void onSignal(int number) {
    const char byte = char(number);
    // Only async-signal-safe calls here; the event loop does the rest, and should it be busy,
    // the alarm ends the program in two seconds all the same.
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
    ::alarm(2);
}
} // namespace

void beforeTermination(std::function<void()> lastWords) {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [lastWords = std::move(lastWords)] {
                         char number = 0;
                         if (::read(pipeEnds[0], &number, 1) != 1)
                             return;
                         lastWords();
                         std::signal(number, SIG_DFL);
                         std::raise(number);
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}
