#include "commands/RecoveryOffer.h"

#include "commands/DocumentSeams.h"
#include "document/Document.h"
#include "document/RecoveryJournal.h"
#include "editor/TextView.h"
#include "platform/MessageBox.h"

#include <QLocale>
#include <QMainWindow>

namespace {
QString question(const OrphanJournal& orphan) {
    const QString name = orphan.contents.file.name;
    const bool named =
        !name.isEmpty() && name != nameFor({}) && name != nameFor(NamedFile::newDocument());
    const QString what = named ? u"\"%1\""_qs.arg(name) : u"the new document"_qs;
    const QDateTime when = orphan.lastChanged;
    const QString time = when.date() == QDate::currentDate()
                             ? when.toString(u"HH:mm"_qs)
                             : QLocale().toString(when, QLocale::ShortFormat);
    return u"Notavo did not close normally. Recover the text of %1 (last changed %2)?"_qs.arg(what,
                                                                                              time);
}
} // namespace

void offerRecovery(const DocumentSeams& seams, RecoveryJournal& journal) {
    std::optional<OrphanJournal> orphan = journal.takeOrphan();
    if (!orphan)
        return;
    const auto answer =
        seams.messageBox.show(&seams.window, question(*orphan), u"Notavo"_qs,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
    if (answer == QMessageBox::No) {
        journal.drop(std::move(*orphan));
        return;
    }
    if (answer != QMessageBox::Yes) {
        journal.release(std::move(*orphan));
        return;
    }
    JournalFormat::FileState& file = orphan->contents.file;
    seams.document.load(std::move(orphan->contents.text), file.layout);
    seams.document.setCurrentFile(recoveredFile(file));
    seams.document.setFileStamp(file.stamp);
    journal.adopt(std::move(*orphan));
    seams.txtMain.setEnabled(true);
    seams.txtMain.setFocus();
}
