#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

// Tells when a notification area appears or is replaced: on X11 a system-tray manager takes
// the _NET_SYSTEM_TRAY_S<screen> selection and announces it with a MANAGER message on the
// root window; on a StatusNotifier desktop org.kde.StatusNotifierWatcher registers on D-Bus.
class TrayAreaWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayAreaWatcher(QObject* parent = nullptr);
    ~TrayAreaWatcher() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void appeared();

private:
    void watchX11();
    void watchStatusNotifier();

    quint32 managerAtom = 0;
    QList<quint32> traySelections;
};
