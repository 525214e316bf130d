#pragma once

#include "basics/NamedFile.h"
#include "document/DocumentFormat.h"
#include "document/FileStamp.h"
#include "document/SaveLocation.h"
#include "text/TextBuffer.h"

#include <QObject>
#include <optional>

// What Document::setCurrentFile changes; whatever is left unset stays as it is. The commands set
// each at the moment the user must see it change, so a failed write can leave some unchanged.
struct CurrentFile {
    std::optional<SaveLocation> saveLocation = {};
    std::optional<NamedFile> caption = {};  // the file the window's title names
    std::optional<NamedFile> name = {};     // the file the name read-out names
    std::optional<NamedFile> location = {}; // the file the location read-out names
};

// The document in hand: its text, how its file is laid out (so that a save writes the file's
// own encoding and line breaks back), where Save writes without asking, and which file the
// window names. It alone changes them; the window and the view follow its signals.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    void setCurrentFile(const CurrentFile& change);

    const SaveLocation& saveLocation() const { return location; }
    // Where Save and auto-save write without asking, used only while hasSavePath().
    QString savePath() const { return location.path(); }
    bool hasSavePath() const { return location.inUse(); }
    const NamedFile& captionFile() const { return shown.caption; }
    const NamedFile& nameFile() const { return shown.name; }
    const NamedFile& locationFile() const { return shown.location; }
    const DocumentLayout& layout() const { return fileLayout; }
    // The file at savePath() as this document last read or wrote it: a file with another stamp
    // was changed by another program since. Forgotten when the save location changes or goes.
    const FileStamp& fileStamp() const { return stamp; }
    void setFileStamp(const FileStamp& read) { stamp = read; }

    // The text, read in place: valid until the next change.
    const TextBuffer& buffer() const { return text; }
    // The same for the view that edits it; edits keep the layout.
    TextBuffer& editableBuffer() { return text; }
    // The text as it is now, for saving on another thread: later edits never reach it.
    TextBuffer snapshot() const { return text; }

    // A file's text, decoded in the layout that writes it back.
    void load(TextBuffer opened, DocumentLayout openedLayout);
    // No text and a new document's layout: a new document in every respect but the current
    // file, which is the caller's to set.
    void clear();
    // The text will be written in this layout from now on (the user chose UTF-8, say).
    void setLayout(DocumentLayout changed) { fileLayout = std::move(changed); }
    // Replaces the whole text as one edit would: the layout stays.
    void setText(TextBuffer replacement);
    // Replaces length characters at position: the one way the view edits the text.
    void edit(qsizetype position, qsizetype length, QStringView replacement);
    // The text as it is now was written to the file the document saves to.
    void markWritten() { Q_EMIT written(); }

Q_SIGNALS:
    // What changed; the document's getters give the whole current file.
    void currentFileChanged(const CurrentFile& change);
    // The whole text was replaced; before (the text replaced) lives until the signal returns.
    void textReplaced(const TextBuffer& before);
    // After textReplaced, when the text is a file's as read or a new document's (Open, New,
    // Clear) rather than the user's own edit.
    void started();
    // Length characters at position were replaced by inserted, which lives until the signal
    // returns.
    void textEdited(qsizetype position, qsizetype length, QStringView inserted);
    // Saved: the file holds the text as it is now.
    void written();

private:
    void replace(TextBuffer replacement);

    TextBuffer text;
    DocumentLayout fileLayout = newDocumentLayout();
    SaveLocation location;
    FileStamp stamp;
    struct {
        NamedFile caption, name, location;
    } shown;
};
