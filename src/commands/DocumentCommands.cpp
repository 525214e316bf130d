#include "commands/DocumentCommands.h"

#include "app/frmMain.h"
#include "commands/AutoSave.h"
#include "commands/ConvertFile.h"
#include "commands/DocumentFilters.h"
#include "commands/FileCommands.h"
#include "document/DocumentState.h"

#include <QAction>
#include <QCheckBox>

namespace {
template <typename Command> void bind(frmMain& window, const char* name, Command command) {
    if (QAction* entry = window.action(QLatin1String(name)))
        QObject::connect(entry, &QAction::triggered, &window,
                         [&window, command] { command(window); });
}
} // namespace

void connectDocumentCommands(frmMain& window) {
    documentState(window);
    bind(window, "mnuFileNew", fileNew);
    bind(window, "mnuFileOpen", [](frmMain& w) { fileOpen(w, DocumentFilters::Notavo); });
    bind(window, "mnuOpenCustom", [](frmMain& w) { fileOpen(w, DocumentFilters::OpenCustom); });
    bind(window, "mnuFileSave", fileSave);
    bind(window, "mnuFileSaveas",
         [](frmMain& w) { fileSaveAs(w, DocumentFilters::Notavo, DocumentFilters::SaveTitle); });
    bind(window, "mnuFileSaveasCustom", [](frmMain& w) {
        fileSaveAs(w, DocumentFilters::SaveCustom, DocumentFilters::SaveCustomTitle);
    });
    bind(window, "mnuFileClear", fileClear);
    bind(window, "mnuConvertFile", convertFile);

    auto* autoSave = new AutoSave(window);
    window.setAutosaveHandler([autoSave] { autoSave->tick(); });
    QObject::connect(window.autosavecheck(), &QCheckBox::clicked, autoSave,
                     &AutoSave::checkClicked);
}
