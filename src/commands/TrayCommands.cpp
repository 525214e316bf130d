#include "commands/TrayCommands.h"

#include "commands/TrayTip.h"
#include "platform/MessageBox.h"
#include "platform/TrayHost.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace {
void restoreWindow(const TraySeams& seams) {
    seams.window.show();
    seams.window.raise();
    seams.window.activateWindow();
}

void trigger(const TraySeams& seams, const QString& name) {
    seams.window.findChild<QAction*>(name)->trigger();
}

void mnuMinimizetotrayClick(const TraySeams& seams) {
    TrayHost* host = seams.trayHost;
    if (!host || !host->isAvailable()) {
        // Hidden with nowhere to click, the window and its unsaved text could not come back.
        seams.messageBox.show(
            &seams.window,
            QStringLiteral("This desktop has no notification area, so Notavo cannot be minimized "
                           "to the tray. The window stays open."),
            QString(), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    AddTrayIcon(seams);
    seams.window.hide();
}

void showTrayMenu(const TraySeams& seams) {
    seams.mPopup.popup(QCursor::pos(), seams.mPopup.defaultAction());
}

void mPopClick(const TraySeams& seams, int index) {
    switch (index) {
    case 0:
        restoreWindow(seams);
        break;
    case 1:
        restoreWindow(seams);
        trigger(seams, QStringLiteral("mnuFileNew"));
        break;
    case 2:
        seams.close();
        break;
    case 3:
        trigger(seams, QStringLiteral("mnuAbout"));
        break;
    default:
        break;
    }
}
} // namespace

void AddTrayIcon(const TraySeams& seams) {
    if (TrayHost* host = seams.trayHost)
        host->add(seams.icon(), trayTip(seams.window.windowTitle()));
}

void connectTrayCommands(const TraySeams& seams) {
    QWidget* window = &seams.window;
    QObject::connect(window->findChild<QAction*>(QStringLiteral("mnuMinimizetotray")),
                     &QAction::triggered, window, [seams] { mnuMinimizetotrayClick(seams); });
    for (QAction* item : seams.mPopup.actions()) {
        const int index = item->property("index").toInt();
        QObject::connect(item, &QAction::triggered, window,
                         [seams, index] { mPopClick(seams, index); });
    }
    TrayHost* host = seams.trayHost;
    if (!host)
        return;
    QObject::connect(host, &TrayHost::doubleClicked, window, [seams] { restoreWindow(seams); });
    QObject::connect(host, &TrayHost::rightClicked, window, [seams] { showTrayMenu(seams); });
    // A new notification area gets the icon even if the window was never hidden.
    QObject::connect(host, &TrayHost::recreated, window, [seams] { AddTrayIcon(seams); });
}
