#include "print/PrintCommand.h"

#include "app/frmMain.h"
#include "document/Document.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"
#include "print/frmPrint.h"

#include <QAction>

namespace {
void print(frmMain& window) {
    // As the read-out words it.
    if (nameFor(window.document().nameFile()) == nameFor({})) {
        window.messageBox().show(&window, QStringLiteral("No file loaded!"),
                                 QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
    CommonDialog& dialog = window.dlgFile();
    dialog.title = QStringLiteral("Notavo | Print File");
    if (!dialog.showPrinter())
        return;
    window.ShowStatus(QStringLiteral("Printing"));

    auto* page = new frmPrint(window);
    QObject::connect(page, &frmPrint::unloaded, &window, [&window] {
        window.messageBox().show(&window, QStringLiteral("Printed"), QString());
        window.setStatusText(QStringLiteral("Printed"));
    });
    QString failure;
    if (!page->load(failure)) {
        // Nothing reached the printer: no page on screen and no "Printed".
        delete page;
        window.messageBox().show(&window,
                                 QStringLiteral("The document was not printed.\n") + failure,
                                 QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
    page->show();
}
} // namespace

void connectPrintCommand(frmMain& window) {
    QObject::connect(window.action(QStringLiteral("mnuFilePrint")), &QAction::triggered, &window,
                     [&window] { print(window); });
}
