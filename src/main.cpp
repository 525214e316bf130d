#include "app/FirstPaintProbe.h"
#include "app/SettingsStore.h"
#include "app/StartupStyle.h"
#include "app/frmMain.h"
#include "commands/InterruptedSaves.h"
#include "firstrun/frmFirstTime.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The style chosen for this run (by -style, say), with its image-loading parts drawn in code.
    QApplication::setStyle(new StartupStyle(QApplication::style()->name()));
    // The program ends when the main window closes, not when the last visible window does:
    // a window hidden to the tray must survive closing an about box.
    QApplication::setQuitOnLastWindowClosed(false);

    QtPlatform platform;
    SettingsStore settings;
    std::unique_ptr<frmMain> mainWindow;

    frmFirstTime firstRun(platform.platform(), settings);
    QObject::connect(&firstRun, &frmFirstTime::startMain, &app, [&] {
        mainWindow = std::make_unique<frmMain>(platform.platform(), settings);
        QObject::connect(mainWindow.get(), &frmMain::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        if (qEnvironmentVariableIsSet("NOTAVO_BENCH_EXIT_AFTER_PAINT"))
            quitAfterFirstPaint(mainWindow.get());
        mainWindow->show();
        // Before anything else is offered: a file a cut-off save left mixed.
        offerInterruptedSaves(mainWindow->messageBox(), mainWindow.get());
    });
    QObject::connect(&firstRun, &frmFirstTime::closedWithoutStart, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    firstRun.load();
    return app.exec();
}
