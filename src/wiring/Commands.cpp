#include "wiring/Commands.h"

#include "app/frmMain.h"
#include "commands/AppearanceCommands.h"
#include "commands/FindCommands.h"
#include "commands/HelpCommands.h"
#include "commands/PrintCommand.h"
#include "commands/TrayCommands.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBugReport.h"
#include "dialogs/frmHelp.h"
#include "find/frmFind.h"
#include "find/frmGoToLine.h"
#include "platform/Platform.h"
#include "print/frmPrint.h"
#include "tray/frmMinimizeIcon.h"
#include "wiring/DocumentCommands.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace {
void connectAppearance(frmMain& window) {
    connectAppearanceCommands({window.dlgFile(),
                               window.messageBox(),
                               window.settings(),
                               window,
                               window.txtMain(),
                               {window.centralWidget(), window.frame(), window.fLocation(),
                                window.fName(), window.fNameString(), window.autosavecheck()}});
}

void connectPrint(frmMain& window) {
    connectPrintCommand({window.document(), window.dlgFile(), window.messageBox(), window,
                         [&window](const QString& message) { window.ShowStatus(message); },
                         [&window](const QString& text) { window.setStatusText(text); },
                         [&window](QString& failure, std::function<void()> printed) {
                             return printPage({window, window.document(), window.settings(),
                                               window.dlgFile(), window.platform().printer},
                                              failure, printed);
                         }});
}

void connectTray(frmMain& window) {
    connectTrayCommands({window.platform().trayHost, window.messageBox(), window, *window.mPopup(),
                         frmMinimizeIcon, [&window] { Q_EMIT window.closed(); }});
}

void connectHelp(frmMain& window) {
    connectHelpCommands({window, [&window] { return new frmHelp(&window); },
                         [&window] { return new frmAbout(window.platform(), &window); },
                         // The report window has no owner, so that the main window stays usable
                         // beside it; it goes with the main window all the same.
                         [&window] {
                             auto* created = new frmBugReport(window.platform());
                             QObject::connect(&window, &QObject::destroyed, created,
                                              [created] { delete created; });
                             return created;
                         }});
}

void connectFind(frmMain& window) {
    const auto status = [&window](const QString& message) { window.ShowStatus(message); };
    connectFindCommands({window, window.txtMain(), window.messageBox(), status,
                         [&window] { return window.statusText(); },
                         [&window](const QString& text) { window.setStatusText(text); },
                         [&window](const FindPanel::Commands& commands) -> FindPanel* {
                             return new frmFind(&window, commands);
                         },
                         [&window, status](qsizetype lineCount, qsizetype currentLine) {
                             return askForLine(&window, lineCount, currentLine, status);
                         }});
}
} // namespace

void connectCommands(frmMain& window) {
    connectDocumentCommands(window);
    connectAppearance(window);
    connectPrint(window);
    connectTray(window);
    connectHelp(window);
    connectFind(window);
}
