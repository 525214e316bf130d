#pragma once

// Counts the modal dialogs and message boxes open through the platform seams, so that timer
// ticks can tell they arrived inside a nested event loop (fake dialogs count the same way).
class ModalScope {
public:
    ModalScope() { ++openCount(); }
    ~ModalScope() { --openCount(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    static bool anyOpen() { return openCount() > 0; }

private:
    static int& openCount() {
        static int count = 0;
        return count;
    }
};
