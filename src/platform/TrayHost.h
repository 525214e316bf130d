#pragma once

#include <QObject>

class QIcon;
class QString;

// The notification-area icon. It has two states, absent and present; nothing removes it, and
// a second add while it is present is refused, so the icon keeps its first tip.
class TrayHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the desktop has a notification area that can hold the icon right now.
    virtual bool isAvailable() const = 0;
    bool isPresent() const { return present; }
    void add(const QIcon& icon, const QString& tip);

Q_SIGNALS:
    void doubleClicked(); // left button, double click
    void rightClicked();  // the icon's menu was asked for
    void recreated();     // a notification area (re)appeared

protected:
    virtual void showIcon(const QIcon& icon, const QString& tip) = 0;

private:
    bool present = false;
};
