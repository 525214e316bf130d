#include "document/DocumentCommands.h"

void connectDocumentCommands(frmMain& /*window*/) {}
