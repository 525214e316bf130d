#include "wiring/DocumentCommands.h"

#include "app/frmMain.h"
#include "commands/AutoSave.h"
#include "commands/ConvertFile.h"
#include "commands/DocumentFilters.h"
#include "commands/DocumentSeams.h"
#include "commands/FileCommands.h"
#include "commands/RecoveryOffer.h"
#include "commands/ReopenWithEncoding.h"
#include "document/Document.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>

namespace {
DocumentSeams seamsOf(frmMain& window) {
    return {window.document(),   window.dlgFile(),
            window.messageBox(), window,
            window.txtMain(),    [&window](const QString& message) {
                                  window.ShowStatus(message); }};
}
} // namespace

void offerDocumentRecovery(frmMain& window) {
    offerRecovery(seamsOf(window), window.recoveryJournal());
}

void connectDocumentCommands(frmMain& window) {
    const DocumentSeams seams = seamsOf(window);
    const auto bind = [&](const char* name, auto command) {
        if (QAction* entry = window.action(QLatin1String(name)))
            QObject::connect(entry, &QAction::triggered, &window,
                             [seams, command] { command(seams); });
    };
    using Seams = const DocumentSeams&;
    bind("mnuFileNew", fileNew);
    bind("mnuFileOpen", [](Seams s) { fileOpen(s, DocumentFilters::Notavo); });
    bind("mnuOpenCustom", [](Seams s) { fileOpen(s, DocumentFilters::OpenCustom); });
    bind("mnuFileSave", fileSave);
    bind("mnuFileSaveas",
         [](Seams s) { fileSaveAs(s, DocumentFilters::Notavo, DocumentFilters::SaveTitle); });
    bind("mnuFileSaveasCustom", [](Seams s) {
        fileSaveAs(s, DocumentFilters::SaveCustom, DocumentFilters::SaveCustomTitle);
    });
    bind("mnuFileClear", fileClear);
    bind("mnuConvertFile", convertFile);

    // Reopen With Encoding: one entry per encoding, usable while there is a file to read.
    if (QMenu* encodings = window.findChild<QMenu*>(QStringLiteral("mnuReopenEncoding"))) {
        for (QAction* entry : encodings->actions())
            QObject::connect(entry, &QAction::triggered, &window, [seams, entry] {
                reopenWithEncoding(seams, TextEncoding(entry->data().toInt()));
            });
        QObject::connect(&window.document(), &Document::currentFileChanged, encodings,
                         [encodings, &window] {
                             encodings->menuAction()->setEnabled(window.document().hasSavePath());
                         });
    }

    auto* autoSave = new AutoSave(seams, *window.autosavecheck(), *window.autosavetimer());
    window.setAutosaveHandler([autoSave] { autoSave->tick(); });
    QObject::connect(window.autosavecheck(), &QCheckBox::clicked, autoSave,
                     &AutoSave::checkClicked);
}
