#include "app/FirstPaintProbe.h"
#include "app/StartupStyle.h"
#include "app/TerminationSignals.h"
#include "commands/InterruptedSaves.h"
#include "document/RecoveryJournal.h"
#include "firstrun/frmFirstTime.h"
#include "platform/QtPlatform.h"
#include "settings/SettingsStore.h"
#include "wiring/DocumentCommands.h"
#include "wiring/MainWindow.h"

#include <QApplication>
#include <QTimer>
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
    std::unique_ptr<MainWindow> mainWindow;

    frmFirstTime firstRun(platform.platform(), settings);
    QObject::connect(&firstRun, &frmFirstTime::startMain, &app, [&] {
        mainWindow = std::make_unique<MainWindow>(platform.platform(), settings);
        QObject::connect(mainWindow.get(), &frmMain::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        // Killed politely: what was typed in the last moment reaches the journal first.
        beforeTermination([&] {
            mainWindow->recoveryJournal().flush();
            mainWindow->recoveryJournal().waitForWorker();
        });
        if (qEnvironmentVariableIsSet("NOTAVO_BENCH_EXIT_AFTER_PAINT"))
            quitAfterFirstPaint(mainWindow.get());
        mainWindow->show();
        // Before anything else is offered: a file a cut-off save left mixed.
        offerInterruptedSaves(mainWindow->messageBox(), mainWindow.get());
        // Once the window is up: the text a run that did not close normally left behind.
        QTimer::singleShot(0, mainWindow.get(), [&] { offerDocumentRecovery(*mainWindow); });
    });
    QObject::connect(&firstRun, &frmFirstTime::closedWithoutStart, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    firstRun.load();
    return app.exec();
}
