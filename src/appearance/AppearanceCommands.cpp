#include "appearance/AppearanceCommands.h"

void connectAppearanceCommands(frmMain& /*window*/) {}
