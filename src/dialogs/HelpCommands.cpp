#include "dialogs/HelpCommands.h"

void connectHelpCommands(frmMain& /*window*/) {}
