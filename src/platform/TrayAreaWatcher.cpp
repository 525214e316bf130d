#include "platform/TrayAreaWatcher.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

namespace {
xcb_atom_t internAtom(xcb_connection_t* connection, const std::string& name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.c_str());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}
} // namespace

TrayAreaWatcher::TrayAreaWatcher(QObject* parent) : QObject(parent) {
    watchX11();
    watchStatusNotifier();
}

TrayAreaWatcher::~TrayAreaWatcher() {
    if (QCoreApplication* app = QCoreApplication::instance(); app && managerAtom != XCB_ATOM_NONE)
        app->removeNativeEventFilter(this);
}

void TrayAreaWatcher::watchX11() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    managerAtom = internAtom(connection, "MANAGER");
    if (managerAtom == XCB_ATOM_NONE)
        return;
    int number = 0;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it), ++number) {
        traySelections << internAtom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(number));
        // The MANAGER announcement goes to the root window's structure listeners; add ours to
        // whatever Qt already listens for there.
        const xcb_window_t root = it.data->root;
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, root), nullptr);
        const std::uint32_t mask =
            (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        std::free(attributes);
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

void TrayAreaWatcher::watchStatusNotifier() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), bus,
                                            QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayAreaWatcher::appeared);
}

bool TrayAreaWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == managerAtom && client->format == 32 &&
        traySelections.contains(client->data.data32[1]))
        // After the event, so that Qt's own tray tracking has seen the new manager too.
        QTimer::singleShot(0, this, &TrayAreaWatcher::appeared);
    return false;
}
