#include "document/ConvertFile.h"

#include "app/Failure.h"
#include "app/frmMain.h"
#include "document/DocumentFile.h"
#include "document/DocumentFilters.h"
#include "document/DocumentFormat.h"
#include "document/ErrorReport.h"
#include "platform/CommonDialog.h"
#include "platform/MessageBox.h"

#include <QByteArray>

void convertFile(frmMain& window) {
    CommonDialog& dialog = window.dlgFile();
    dialog.filter = DocumentFilters::OpenCustom;
    dialog.title = DocumentFilters::ConvertSourceTitle;
    if (!dialog.showOpen())
        return;
    const QString sourcePath = dialog.fileName;
    const QString sourceName = dialog.fileTitle;
    QByteArray bytes;
    if (const auto failure = readDocumentFile(sourcePath, bytes)) {
        ShowErrorReport(window.messageBox(), &window, *failure);
        return;
    }

    dialog.title = DocumentFilters::ConvertTargetTitle;
    if (!dialog.showSave())
        return;
    const QString targetPath = dialog.fileName;
    const QString targetName = dialog.fileTitle;
    // Through the format, so that a file ending in a line break keeps its bytes and one
    // without gains exactly one, as Open and Save would give.
    const DecodedDocument document = decodeDocument(bytes);
    bytes.clear();
    if (const auto failure =
            replaceFile(targetPath, encodeDocument(document.text, document.layout))) {
        ShowErrorReport(window.messageBox(), &window, *failure);
        return;
    }
    window.messageBox().show(&window,
                             QLatin1String("Sucess! Converted '") + sourceName +
                                 QLatin1String("' to '") + targetName + u'\'',
                             QString(), QMessageBox::Ok, QMessageBox::NoIcon);
}
