#pragma once

#include "platform/TrayHost.h"

#include <QSystemTrayIcon>

class TrayAreaWatcher;

// The tray icon through QSystemTrayIcon. Qt re-docks a shown icon by itself when a new
// notification area appears; the watcher tells the program so that it can add a missing one.
class QtTrayHost : public TrayHost {
    Q_OBJECT
public:
    explicit QtTrayHost(QObject* parent = nullptr);
    ~QtTrayHost() override;

    bool isAvailable() const override;
    QSystemTrayIcon* icon() const { return trayIcon; }

    // What Qt reports for a mouse action on the icon. Qt announces a single click before a
    // double click, so only the double click and the menu request count.
    void activate(QSystemTrayIcon::ActivationReason reason);

protected:
    void showIcon(const QIcon& icon, const QString& tip) override;

private:
    QSystemTrayIcon* trayIcon = nullptr;
    TrayAreaWatcher* watcher = nullptr;
};
