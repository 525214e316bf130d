#include "platform/TrayHost.h"

void TrayHost::add(const QIcon& icon, const QString& tip) {
    if (present)
        return;
    present = true;
    showIcon(icon, tip);
}
