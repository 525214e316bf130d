#include "document/Document.h"

#include <utility>

Document::Document(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("document"));
}

void Document::setCurrentFile(const CurrentFile& change) {
    // The stamp belongs to the file written without asking.
    if (change.saveLocation &&
        (change.saveLocation->path() != location.path() || !change.saveLocation->inUse()))
        stamp = {};
    location = change.saveLocation.value_or(location);
    shown.caption = change.caption.value_or(shown.caption);
    shown.name = change.name.value_or(shown.name);
    shown.location = change.location.value_or(shown.location);
    Q_EMIT currentFileChanged(change);
}

void Document::load(TextBuffer opened, DocumentLayout openedLayout) {
    fileLayout = std::move(openedLayout);
    replace(std::move(opened));
    Q_EMIT started();
}

void Document::clear() {
    fileLayout = newDocumentLayout();
    replace(TextBuffer());
    Q_EMIT started();
}

void Document::edit(qsizetype position, qsizetype length, QStringView replacement) {
    text.remove(position, length);
    text.insert(position, replacement);
    Q_EMIT textEdited(position, length, replacement);
}

void Document::setText(TextBuffer replacement) {
    replace(std::move(replacement));
}

void Document::replace(TextBuffer replacement) {
    const TextBuffer before = std::exchange(text, std::move(replacement));
    Q_EMIT textReplaced(before);
}
