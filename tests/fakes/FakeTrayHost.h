#pragma once

#include "platform/TrayHost.h"

#include <QIcon>
#include <QList>
#include <QString>

// Scripted notification area: tests say whether one exists, read what was shown, and play the
// icon's mouse actions and a restarting tray host.
class FakeTrayHost : public TrayHost {
public:
    struct Shown {
        QIcon icon;
        QString tip;
    };
    bool available = true;
    QList<Shown> shown;

    bool isAvailable() const override { return available; }
    void doubleClick() { Q_EMIT doubleClicked(); }
    void rightClick() { Q_EMIT rightClicked(); }
    void restartHost() { Q_EMIT recreated(); }

protected:
    void showIcon(const QIcon& icon, const QString& tip) override { shown << Shown{icon, tip}; }
};
