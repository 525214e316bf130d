#include "commands/ErrorReport.h"

#include "basics/Failure.h"
#include "platform/MessageBox.h"

void ShowErrorReport(MessageBox& messageBox, QWidget* parent, const Failure& failure) {
    const QString text =
        QLatin1String("Error ID: ") + QString::number(failure.number) + u'\r' +
        failure.description + u'\r' +
        QLatin1String("Notavo has aborted this operation to prevent a fatal crash.");
    messageBox.show(parent, text, QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
}
