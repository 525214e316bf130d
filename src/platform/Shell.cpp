#include "platform/Shell.h"

#include <QProcess>

bool QtShell::startProgram(const QString& path) {
    return QProcess::startDetached(path, {});
}

bool QtShell::openUrl(const QString& url) {
    // QDesktopServices::openUrl answers true under X11 even when no program handles the URL,
    // so run xdg-open here and judge its exit status.
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({url});
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(HandOverTimeoutMs)) {
        // A handler is running in the foreground of xdg-open: leave it be.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return ok;
}
