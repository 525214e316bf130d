#include "commands/PrintCommand.h"

#include "document/Document.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QWidget>

namespace {
void print(const PrintSeams& seams) {
    // As the read-out words it.
    if (nameFor(seams.document.nameFile()) == nameFor({})) {
        seams.messageBox.show(&seams.window, QStringLiteral("No file loaded!"),
                              QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
    CommonDialog& dialog = seams.dlgFile;
    dialog.title = QStringLiteral("Notavo | Print File");
    if (!dialog.showPrinter())
        return;
    seams.ShowStatus(QStringLiteral("Printing"));

    QString failure;
    const bool printed = seams.printPage(failure, [seams] {
        seams.messageBox.show(&seams.window, QStringLiteral("Printed"), QString());
        seams.setStatusText(QStringLiteral("Printed"));
    });
    if (!printed) {
        // Nothing reached the printer: no page on screen and no "Printed".
        seams.messageBox.show(&seams.window,
                              QStringLiteral("The document was not printed.\n") + failure,
                              QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
    }
}
} // namespace

void connectPrintCommand(const PrintSeams& seams) {
    QObject::connect(seams.window.findChild<QAction*>(QStringLiteral("mnuFilePrint")),
                     &QAction::triggered, &seams.window, [seams] { print(seams); });
}
