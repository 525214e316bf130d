#pragma once

#include "platform/TrayHost.h"

#include <QIcon>
#include <QList>
#include <QString>

// Scripted notification area, always there: tests read what was shown, and play the icon's
// double click and a restarting tray host.
class FakeTrayHost : public TrayHost {
public:
    struct Shown {
        QIcon icon;
        QString tip;
    };
    QList<Shown> shown;

    bool isAvailable() const override { return true; }
    void doubleClick() { Q_EMIT doubleClicked(); }
    void rightClick() { Q_EMIT rightClicked(); }
    void restartHost() { Q_EMIT recreated(); }

protected:
    void showIcon(const QIcon& icon, const QString& tip) override { shown << Shown{icon, tip}; }
};
