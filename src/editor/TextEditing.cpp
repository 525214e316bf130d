#include "editor/TextEditing.h"

#include "document/Document.h"
#include "text/LineBreaks.h"
#include "text/TextBoundaries.h"

#include <utility>

TextEditing::TextEditing(Document& document, Display& display)
    : doc(document), text(document.editableBuffer()), display(display) {}

QString TextEditing::selectedText() const {
    return text.mid(selectionStart(), selectionEnd() - selectionStart());
}

bool TextEditing::place(qsizetype anchor, qsizetype cursor) {
    anchor = std::clamp<qsizetype>(anchor, 0, text.size());
    cursor = std::clamp<qsizetype>(cursor, 0, text.size());
    if (anchor == anchorAt && cursor == cursorAt)
        return false;
    anchorAt = anchor;
    cursorAt = cursor;
    return true;
}

void TextEditing::insert(const QString& typed, bool typing) {
    const QString replacement = normalizeLineBreaks(typed);
    // A character typed with nothing selected may join the typing before it in one undo step.
    const bool single = typing && !hasSelection() && !replacement.contains(u'\n');
    replaceSelection(replacement, single ? EditHistory::Kind::Single : EditHistory::Kind::Compound);
}

void TextEditing::replaceSelection(const QString& replacement, EditHistory::Kind kind) {
    edit(selectionStart(), selectionEnd() - selectionStart(), replacement, kind);
}

std::optional<TextEdit> TextEditing::record(qsizetype position, qsizetype length,
                                            const QString& replacement, EditHistory::Kind kind) {
    // Never splits a surrogate pair, never puts in half of one.
    position = codePointStart(text, std::clamp<qsizetype>(position, 0, text.size()));
    qsizetype end =
        std::clamp<qsizetype>(position + std::max<qsizetype>(length, 0), 0, text.size());
    if (codePointStart(text, end) != end)
        ++end;
    length = end - position;
    const QString inserted = withoutLoneSurrogates(replacement);
    if (length == 0 && inserted.isEmpty())
        return std::nullopt;
    TextEdit made{position, text.mid(position, length), inserted};
    history.record(made, kind);
    apply(position, length, inserted);
    return made;
}

bool TextEditing::edit(qsizetype position, qsizetype length, const QString& replacement,
                       EditHistory::Kind kind) {
    const qsizetype anchorBefore = anchorAt;
    const qsizetype cursorBefore = cursorAt;
    const std::optional<TextEdit> made = record(position, length, replacement, kind);
    if (!made)
        return false;
    cursorAt = anchorAt = made->position + made->inserted.size();
    // Moved by the removal or by the insertion, the caret is told even if back where it was.
    display.caretPlacedByEdit(anchorBefore, cursorBefore,
                              cursorBefore != made->position || !made->inserted.isEmpty());
    return true;
}

bool TextEditing::editAside(qsizetype position, qsizetype length, const QString& replacement) {
    const std::optional<TextEdit> made =
        record(position, length, replacement, EditHistory::Kind::Compound);
    if (!made)
        return false;
    // As a QTextCursor moves with an edit made by another: out of the removed stretch, then
    // past the inserted text.
    const qsizetype from = made->position;
    const qsizetype to = from + made->removed.size();
    const auto moved = [&](qsizetype at) {
        at = at < from ? at : at < to ? from : at - (to - from);
        return at < from ? at : at + made->inserted.size();
    };
    anchorAt = moved(anchorAt);
    cursorAt = moved(cursorAt);
    return true;
}

void TextEditing::apply(qsizetype position, qsizetype length, const QString& replacement) {
    const QString removed = display.textAboutToChange(position, length, replacement);
    doc.edit(position, length, replacement);
    display.textChangedAt(position, length, removed, replacement);
}

void TextEditing::replaceWhole(TextBuffer replaced, qsizetype caret) {
    caret = codePointStart(replaced, std::clamp<qsizetype>(caret, 0, replaced.size()));
    history.recordWhole(text, cursorAt, replaced, caret);
    putText(std::move(replaced), caret);
}

void TextEditing::putText(TextBuffer replaced, qsizetype caret) {
    placedCaret = caret;
    doc.setText(std::move(replaced));
}

std::optional<qsizetype> TextEditing::followReplacement() {
    const std::optional<qsizetype> placed = std::exchange(placedCaret, std::nullopt);
    if (!placed)
        history.reset(text.size(), text.lineCount() - 1);
    return placed;
}

// A step of two edits (a moved text) leaves the caret at the end of all it changed, as the
// document behind QPlainTextEdit does.
qsizetype TextEditing::takeBackStep(bool undoing) {
    takeBack(undoing ? history.undo() : history.redo());
    qsizetype furthest = cursorAt;
    while (history.goesOn()) {
        const TextEdit edit = undoing ? history.undo() : history.redo();
        if (furthest >= edit.position)
            furthest += edit.inserted.size() - edit.removed.size();
        takeBack(edit);
        furthest = std::max(furthest, cursorAt);
    }
    return furthest;
}

void TextEditing::takeBack(const TextEdit& edit) {
    if (edit.whole) {
        putText(*edit.whole, edit.position);
        display.showCaret();
        return;
    }
    const qsizetype anchorBefore = anchorAt;
    const qsizetype cursorBefore = cursorAt;
    apply(edit.position, edit.removed.size(), edit.inserted);
    cursorAt = anchorAt = edit.position + edit.inserted.size();
    // A selection the step drops is told too, as when typing replaces it.
    display.caretPlacedByEdit(anchorBefore, cursorBefore, true);
}
