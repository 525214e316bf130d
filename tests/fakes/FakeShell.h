#pragma once

#include "platform/Shell.h"

#include <QStringList>

// Records what would have been started or handed over, and answers as scripted.
class FakeShell : public Shell {
public:
    QStringList started;
    QStringList urls;
    bool startSucceeds = true;
    bool openSucceeds = true;

    bool startProgram(const QString& path) override {
        started << path;
        return startSucceeds;
    }
    bool openUrl(const QString& url) override {
        urls << url;
        return openSucceeds;
    }
};
