#include "document/Document.h"

#include <utility>

Document::Document(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("document"));
}

void Document::setCurrentFile(const CurrentFile& change) {
    if ((change.savePath && *change.savePath != path) || change.hasSavePath == false)
        stamp = {};
    path = change.savePath.value_or(path);
    pathKept = change.hasSavePath.value_or(pathKept);
    shownName = change.name.value_or(shownName);
    shownLocation = change.location.value_or(shownLocation);
    shownCaption = change.caption.value_or(shownCaption);
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
