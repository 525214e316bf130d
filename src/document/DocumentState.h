#pragma once

#include "document/DocumentFile.h"
#include "document/DocumentFormat.h"

#include <QObject>
#include <QString>
#include <optional>

class frmMain;
struct Failure;

// What the main window keeps about the document in hand besides its text and panel: how its
// file was laid out, so that saves write the file's own encoding and line breaks.
class DocumentState : public QObject {
    Q_OBJECT
public:
    explicit DocumentState(QObject* parent);

    DocumentLayout layout = newDocumentLayout();
};

// The window's document state, created on first use.
DocumentState& documentState(frmMain& window);

// The editing box's text as the document's bytes.
QByteArray documentBytes(frmMain& window);

// Replaces the file at path with the text in the layout's encoding, encoded a few megabytes at a
// time as it is written; progress is told the bytes written and can stop it. Nothing is written
// that would be too large to open again (number 7).
std::optional<Failure> writeTextFile(const QString& path, const TextParts& text,
                                     const DocumentLayout& layout, const ByteProgress& progress);

// Replaces the file at path with the document; a large one on a worker thread with progress in
// the window. A cancelled save leaves the file as it was and answers ErrorNumber::Cancelled.
std::optional<Failure> writeDocument(frmMain& window, const QString& path);
