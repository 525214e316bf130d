#include "print/PrintCommand.h"

void connectPrintCommand(frmMain& /*window*/) {}
