#pragma once

#include <QIcon>

// The icon that stands for the hidden main window in the notification area: a 48 x 48 note
// pad drawn in greys only, so that it reads as "put away".
QIcon frmMinimizeIcon();
