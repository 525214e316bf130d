#pragma once

#include <QString>
#include <memory>
#include <vector>

class TextBuffer;

// One change of the text: at position, removed was taken out and inserted put in its place.
// Or, when whole is set, the whole text was replaced by it at once, and position is where the
// caret goes.
struct TextEdit {
    qsizetype position = 0;
    QString removed;
    QString inserted;
    std::shared_ptr<const TextBuffer> whole{};
};

// Undo and redo for the editing box, in the steps QPlainTextEdit makes. Its document keeps every
// character ever typed in one growing store and joins a change to the step before when both are
// single changes and their characters sit next to each other in the text and in that store:
// characters typed in a row are one step, and so are Backspaces or Deletes in a row through text
// typed or opened in one go. A change made to a selection, a line break or a paste is a step of
// its own, which characters typed straight after it continue. The store is followed here as runs
// of numbered characters, so that the steps come out the same.
class EditHistory {
public:
    // Single: a character typed, or Backspace or Delete with nothing selected. Compound:
    // everything else, which never joins the step before. Paste: the same, but the document
    // stores pasted text with its line breaks in turn, so that typing straight after a paste
    // that ends in text continues its step.
    enum class Kind { Single, Compound, Paste };

    // A new text of the given length with lineBreaks line breaks; nothing to undo.
    void reset(qsizetype length, qsizetype lineBreaks);
    void record(const TextEdit& edit, Kind kind);
    // The whole text replaced at once (Replace All): one step holding both texts, which share
    // their storage with the box's, so that undo and redo swap them rather than replay a
    // million edits. The carets are where undo and redo leave it.
    void recordWhole(const TextBuffer& before, qsizetype caretBefore, const TextBuffer& after,
                     qsizetype caretAfter);
    // The last two edits recorded are one step (text moved: taken out, put in elsewhere).
    void joinLastTwo();
    // After undo() or redo(): the same step holds another edit, to undo or redo as well.
    bool goesOn() const { return !redoSteps.empty() && redoSteps.back().withPrevious; }
    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }
    // The change that takes the last step back, or does the last step taken back again; the
    // caller applies it to the text. Only call them when canUndo() or canRedo().
    TextEdit undo();
    TextEdit redo();

private:
    // Characters stored one after another in the document's store, numbered from id.
    struct Run {
        qsizetype length;
        qint64 id;
    };
    struct Step {
        TextEdit edit;
        std::vector<Run> removedIds;
        qint64 insertedId = 0;
        bool compound = false;
        bool withPrevious = false; // undone and redone together with the step before
        // A whole-text step: the text and caret of the other side, and its characters' numbers.
        std::shared_ptr<const TextBuffer> other{};
        qsizetype otherCaret = 0;
        std::vector<Run> otherIds{};
    };
    // Undoes or redoes a whole-text step: it changes sides.
    TextEdit swapWhole(Step& step);
    bool joinInsertion(const TextEdit& edit, qint64 id);
    bool joinRemoval(const TextEdit& edit, const Run& run);
    // The run that starts at position, the one it falls inside split in two.
    std::vector<Run>::iterator splitAt(qsizetype position);
    std::vector<Run> takeIds(qsizetype position, qsizetype length);
    void putIds(qsizetype position, const std::vector<Run>& runs);

    std::vector<Step> undoSteps;
    std::vector<Step> redoSteps;
    std::vector<Run> ids; // the number of each character of the text, in text order
    qint64 nextId = 1;
};
