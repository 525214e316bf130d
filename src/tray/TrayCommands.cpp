#include "tray/TrayCommands.h"

void connectTrayCommands(frmMain& /*window*/) {}
