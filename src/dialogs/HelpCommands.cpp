#include "dialogs/HelpCommands.h"

#include "app/frmMain.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBugReport.h"
#include "dialogs/frmHelp.h"

#include <QAction>
#include <QPointer>

namespace {
// One window of a kind at a time: a later command brings the open one forward, as it is.
template <typename Window, typename Create> void showSingle(QPointer<Window>& open, Create create) {
    if (!open)
        open = create();
    open->show();
    open->raise();
    open->activateWindow();
}
} // namespace

void connectHelpCommands(frmMain& window) {
    QObject::connect(window.action(QStringLiteral("mnuHelpHelpTopics")), &QAction::triggered,
                     &window, [&window, help = QPointer<frmHelp>()]() mutable {
                         showSingle(help, [&window] { return new frmHelp(&window); });
                     });
    QObject::connect(window.action(QStringLiteral("mnuAbout")), &QAction::triggered, &window,
                     [&window, about = QPointer<frmAbout>()]() mutable {
                         showSingle(about,
                                    [&window] { return new frmAbout(window.platform(), &window); });
                     });
    // The report window has no owner, so that the main window stays usable beside it; it goes
    // with the main window all the same.
    QObject::connect(window.action(QStringLiteral("mnuHelpR_A_B")), &QAction::triggered, &window,
                     [&window, report = QPointer<frmBugReport>()]() mutable {
                         showSingle(report, [&window] {
                             auto* created = new frmBugReport(window.platform());
                             QObject::connect(&window, &QObject::destroyed, created,
                                              [created] { delete created; });
                             return created;
                         });
                     });
}
