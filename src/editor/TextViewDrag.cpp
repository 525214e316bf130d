// The editing box's drag and drop, as QPlainTextEdit's: the selection dragged away is moved (or
// with Ctrl copied), text dropped from anywhere goes in where it is let go.
#include "editor/TextView.h"

#include "text/LineBreaks.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

bool TextView::acceptsDrop(const QMimeData* data) const {
    return !readOnly && !held && isEnabled() && data && data->hasText() && !data->text().isEmpty();
}

void TextView::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDrop(event->mimeData()))
        event->acceptProposedAction();
}

// The caret and the selection stay; a second caret shows where the text would go.
void TextView::dragMoveEvent(QDragMoveEvent* event) {
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    dropMarker = positionAt(event->position().toPoint());
    viewport()->update();
    event->acceptProposedAction();
}

void TextView::dragLeaveEvent(QDragLeaveEvent*) {
    dropMarker = -1;
    viewport()->update();
}

// As in QPlainTextEdit: text dragged from this box and moved leaves its place, in the same
// undo step as it arrives; anything else dropped is inserted there, the selection kept.
void TextView::dropEvent(QDropEvent* event) {
    dropMarker = -1;
    viewport()->update();
    if (!acceptsDrop(event->mimeData()))
        return;
    qsizetype at = positionAt(event->position().toPoint());
    const QString dropped = normalizeLineBreaks(event->mimeData()->text());
    const bool moved = event->dropAction() == Qt::MoveAction && event->source() == this;
    if (moved && hasSelection()) {
        const qsizetype from = selectionStart();
        const qsizetype to = selectionEnd();
        deleteSelection();
        at = at <= from ? at : at < to ? from : at - (to - from);
        editing.edit(at, 0, dropped, EditHistory::Kind::Paste);
        editing.joinLastTwo();
    } else {
        editing.edit(at, 0, dropped, EditHistory::Kind::Paste);
    }
    event->acceptProposedAction();
    setFocus();
}

// Carries the selection away; moved elsewhere (to another program), it leaves the box.
void TextView::dragSelection() {
    auto* data = new QMimeData;
    data->setText(text.mid(selectionStart(), selectionEnd() - selectionStart()));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const bool editable = !readOnly && !held;
    const Qt::DropAction done =
        drag->exec(editable ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction,
                   editable ? Qt::MoveAction : Qt::CopyAction);
    if (done == Qt::MoveAction && drag->target() != this && drag->target() != viewport() &&
        !readOnly && !held)
        deleteSelection();
}
