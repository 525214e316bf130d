#include "document/DocumentState.h"

#include "app/EditingBox.h"
#include "app/frmMain.h"
#include "document/DocumentFile.h"

DocumentState::DocumentState(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("documentState"));
}

DocumentState& documentState(frmMain& window) {
    auto* state = window.findChild<DocumentState*>(QString(), Qt::FindDirectChildrenOnly);
    if (!state)
        state = new DocumentState(&window);
    return *state;
}

QByteArray documentBytes(frmMain& window) {
    return encodeDocument(window.txtMain().textParts(), documentState(window).layout);
}

std::optional<Failure> writeDocument(frmMain& window, const QString& path) {
    return replaceFile(path, documentBytes(window));
}
