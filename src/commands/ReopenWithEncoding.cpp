#include "commands/ReopenWithEncoding.h"

#include "commands/DocumentSeams.h"
#include "commands/ErrorReport.h"
#include "document/Document.h"
#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"
#include "document/FileErrors.h"
#include "editor/TextView.h"
#include "platform/MessageBox.h"
#include "text/TextBuffer.h"

#include <QMainWindow>
#include <cerrno>
#include <new>

void reopenWithEncoding(const DocumentSeams& seams, TextEncoding encoding) {
    Document& document = seams.document;
    if (!document.hasSavePath())
        return;
    const QString path = document.savePath();
    const QString caption = encodingCaption(encoding);
    try {
        QByteArray bytes;
        if (auto failure = readDocumentFile(path, bytes)) {
            ShowErrorReport(seams.messageBox, &seams.window, *failure);
            return;
        }
        // Edited when the text is not what the file reads as in its present encoding.
        const auto asItIs = decodeDocumentAs(bytes, document.layout().encoding);
        if (!asItIs || asItIs->text != document.buffer().toString()) {
            const auto answer = seams.messageBox.show(
                &seams.window,
                QLatin1String("The text was changed since \"") + nameFor(document.nameFile()) +
                    QLatin1String("\" was read. Read it again as ") + caption +
                    QLatin1String(" and lose the changes?"),
                QStringLiteral("Reopen With Encoding"), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Warning);
            if (answer != QMessageBox::Yes)
                return;
        }
        auto reread = decodeDocumentAs(bytes, encoding);
        if (!reread) {
            seams.messageBox.show(
                &seams.window,
                u'"' + nameFor(document.nameFile()) + QLatin1String("\" cannot be read as ") +
                    caption + QLatin1String(" without changing its bytes."),
                QStringLiteral("Reopen With Encoding"), QMessageBox::Ok, QMessageBox::Warning);
            return;
        }
        bytes = QByteArray();
        document.load(TextBuffer(std::move(reread->text)), std::move(reread->layout));
    } catch (const std::bad_alloc&) {
        ShowErrorReport(seams.messageBox, &seams.window,
                        fileFailure(ENOMEM, QStringLiteral("Read file"), path, FileAction::Read));
        return;
    }
    seams.txtMain.setFocus();
    seams.ShowStatus(QLatin1String("Reopened ") + path + QLatin1String(" as ") + caption);
}
