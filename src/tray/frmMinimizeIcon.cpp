#include "tray/frmMinimizeIcon.h"

#include "dialogs/ProgramIcon.h"

QIcon frmMinimizeIcon() {
    return QIcon(notepadPicture(
        {QColor(208, 208, 208), QColor(128, 128, 128), QColor(64, 64, 64), QColor(96, 96, 96)}));
}
