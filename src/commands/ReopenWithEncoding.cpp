#include "commands/ReopenWithEncoding.h"

#include "commands/DocumentSeams.h"
#include "commands/ErrorReport.h"
#include "document/Document.h"
#include "document/DocumentIo.h"
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
        auto outcome =
            rereadDocumentAs(path, document.buffer(), document.layout().encoding, encoding);
        if (const auto* failure = std::get_if<Failure>(&outcome)) {
            ShowErrorReport(seams.messageBox, &seams.window, *failure);
            return;
        }
        RereadDocument& reread = std::get<RereadDocument>(outcome);
        if (reread.textChanged) {
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
        if (!reread.decoded) {
            seams.messageBox.show(
                &seams.window,
                u'"' + nameFor(document.nameFile()) + QLatin1String("\" cannot be read as ") +
                    caption + QLatin1String(" without changing its bytes."),
                QStringLiteral("Reopen With Encoding"), QMessageBox::Ok, QMessageBox::Warning);
            return;
        }
        document.load(TextBuffer(std::move(reread.decoded->text)),
                      std::move(reread.decoded->layout));
    } catch (const std::bad_alloc&) {
        ShowErrorReport(seams.messageBox, &seams.window,
                        fileFailure(ENOMEM, QStringLiteral("Read file"), path, FileAction::Read));
        return;
    }
    seams.txtMain.setFocus();
    seams.ShowStatus(QLatin1String("Reopened ") + path + QLatin1String(" as ") + caption);
}
