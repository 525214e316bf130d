#include "tray/TrayCommands.h"

#include "app/frmMain.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TrayHost.h"
#include "tray/TrayTip.h"
#include "tray/frmMinimizeIcon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {
void restoreWindow(frmMain& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

void mnuMinimizetotrayClick(frmMain& window) {
    TrayHost* host = window.platform().trayHost;
    if (!host || !host->isAvailable()) {
        // Hidden with nowhere to click, the window and its unsaved text could not come back.
        window.messageBox().show(
            &window,
            QStringLiteral("This desktop has no notification area, so Notavo cannot be minimized "
                           "to the tray. The window stays open."),
            QString(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    AddTrayIcon(window);
    window.hide();
}

void showTrayMenu(frmMain& window) {
    window.mPopup()->popup(QCursor::pos(), window.mPopup()->defaultAction());
}

void mPopClick(frmMain& window, int index) {
    switch (index) {
    case 0:
        restoreWindow(window);
        break;
    case 1:
        restoreWindow(window);
        window.action(QStringLiteral("mnuFileNew"))->trigger();
        break;
    case 2:
        // Ends the program at once: nothing is asked or saved.
        Q_EMIT window.closed();
        break;
    case 3:
        window.action(QStringLiteral("mnuAbout"))->trigger();
        break;
    default:
        break;
    }
}
} // namespace

void AddTrayIcon(frmMain& window) {
    if (TrayHost* host = window.platform().trayHost)
        host->add(frmMinimizeIcon(), trayTip(window.windowTitle()));
}

void connectTrayCommands(frmMain& window) {
    QObject::connect(window.action(QStringLiteral("mnuMinimizetotray")), &QAction::triggered,
                     &window, [&window] { mnuMinimizetotrayClick(window); });
    for (QAction* item : window.mPopup()->actions()) {
        const int index = item->property("index").toInt();
        QObject::connect(item, &QAction::triggered, &window,
                         [&window, index] { mPopClick(window, index); });
    }
    TrayHost* host = window.platform().trayHost;
    if (!host)
        return;
    QObject::connect(host, &TrayHost::doubleClicked, &window, [&window] { restoreWindow(window); });
    QObject::connect(host, &TrayHost::rightClicked, &window, [&window] { showTrayMenu(window); });
    // A new notification area gets the icon even if the window was never hidden.
    QObject::connect(host, &TrayHost::recreated, &window, [&window] { AddTrayIcon(window); });
}
