#pragma once

#include <QString>
#include <vector>

// One change of the text: at position, removed was taken out and inserted put in its place.
struct TextEdit {
    qsizetype position = 0;
    QString removed;
    QString inserted;
    // Where the selection was before the change, so undoing puts it back.
    qsizetype anchorBefore = 0;
    qsizetype cursorBefore = 0;
};

// Undo and redo for the editing box. Characters typed one after another form one step, as
// users of other editors expect; a new change clears what could be redone.
class EditHistory {
public:
    void record(TextEdit edit, bool typing);
    void clear();
    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }
    TextEdit takeUndo();
    TextEdit takeRedo();
    // The step taken back (by takeUndo) goes onto the redo side and the other way round.
    void pushRedo(TextEdit edit) { redoSteps.push_back(std::move(edit)); }
    void pushUndo(TextEdit edit) { undoSteps.push_back(std::move(edit)); }

private:
    std::vector<TextEdit> undoSteps;
    std::vector<TextEdit> redoSteps;
    bool lastWasTyping = false;
};
