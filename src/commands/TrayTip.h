#pragma once

#include <QString>

// The icon's tip: the main window's caption, cut so that it fits the 64-character field
// together with its terminating NUL.
inline QString trayTip(const QString& caption) {
    return caption.left(63);
}
