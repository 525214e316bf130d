#pragma once

#include <QString>

// Starting other programs: a program by its path, or a URL through the desktop's handler.
class Shell {
public:
    virtual ~Shell() = default;
    // Starts the program without waiting for it; false when it could not be started.
    virtual bool startProgram(const QString& path) = 0;
    // Hands the URL to the desktop's handler; false when no handler took it.
    virtual bool openUrl(const QString& url) = 0;
};

class QtShell : public Shell {
public:
    bool startProgram(const QString& path) override;
    bool openUrl(const QString& url) override;

    // How long openUrl waits for xdg-open. It fails at once when nothing handles the URL; one
    // that is still running after this long has started a handler that runs in the foreground.
    static constexpr int HandOverTimeoutMs = 5000;
};
