#include "app/Commands.h"

#include "appearance/AppearanceCommands.h"
#include "dialogs/HelpCommands.h"
#include "document/DocumentCommands.h"
#include "find/FindCommands.h"
#include "print/PrintCommand.h"
#include "tray/TrayCommands.h"

void connectCommands(frmMain& window) {
    connectDocumentCommands(window);
    connectAppearanceCommands(window);
    connectPrintCommand(window);
    connectTrayCommands(window);
    connectHelpCommands(window);
    connectFindCommands(window);
}
