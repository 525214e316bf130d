#pragma once

#include "platform/Shell.h"

#include <QStringList>

// Records the programs that would have been started, as scripted; a hand-over succeeds.
class FakeShell : public Shell {
public:
    QStringList started;
    bool startSucceeds = true;

    bool startProgram(const QString& path) override {
        started << path;
        return startSucceeds;
    }
    bool openUrl(const QString&) override { return true; }
};
