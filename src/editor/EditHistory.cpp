#include "editor/EditHistory.h"

namespace {
bool breaksWord(QChar c) {
    return c.isSpace() || c.isPunct();
}
} // namespace

void EditHistory::record(TextEdit edit, bool typing) {
    redoSteps.clear();
    if (typing && lastWasTyping && !undoSteps.empty()) {
        TextEdit& last = undoSteps.back();
        // Joins a typed character to the run before it, but starts a new step at a word's
        // start so one undo does not take back a whole paragraph.
        const bool follows = last.removed.isEmpty() && edit.removed.isEmpty() &&
                             last.position + last.inserted.size() == edit.position;
        const bool newWord = !last.inserted.isEmpty() && breaksWord(last.inserted.back()) &&
                             !edit.inserted.isEmpty() && !breaksWord(edit.inserted.front());
        if (follows && !newWord) {
            last.inserted += edit.inserted;
            return;
        }
    }
    lastWasTyping = typing;
    undoSteps.push_back(std::move(edit));
}

void EditHistory::clear() {
    undoSteps.clear();
    redoSteps.clear();
    lastWasTyping = false;
}

TextEdit EditHistory::takeUndo() {
    TextEdit edit = std::move(undoSteps.back());
    undoSteps.pop_back();
    lastWasTyping = false;
    return edit;
}

TextEdit EditHistory::takeRedo() {
    TextEdit edit = std::move(redoSteps.back());
    redoSteps.pop_back();
    lastWasTyping = false;
    return edit;
}
