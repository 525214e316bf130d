#include "platform/QtTrayHost.h"

#include "platform/TrayAreaWatcher.h"

QtTrayHost::QtTrayHost(QObject* parent)
    : TrayHost(parent), trayIcon(new QSystemTrayIcon(this)), watcher(new TrayAreaWatcher(this)) {
    trayIcon->setObjectName(QStringLiteral("trayIcon"));
    connect(trayIcon, &QSystemTrayIcon::activated, this, &QtTrayHost::activate);
    connect(watcher, &TrayAreaWatcher::appeared, this, &TrayHost::recreated);
}

QtTrayHost::~QtTrayHost() = default;

bool QtTrayHost::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayHost::activate(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT doubleClicked();
        break;
    case QSystemTrayIcon::Context:
        Q_EMIT rightClicked();
        break;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void QtTrayHost::showIcon(const QIcon& icon, const QString& tip) {
    trayIcon->setIcon(icon);
    trayIcon->setToolTip(tip);
    trayIcon->show();
}
