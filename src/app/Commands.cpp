#include "app/Commands.h"

#include "appearance/AppearanceCommands.h"
#include "commands/DocumentCommands.h"
#include "dialogs/HelpCommands.h"
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
