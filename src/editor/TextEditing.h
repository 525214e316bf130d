#pragma once

#include "editor/EditHistory.h"

#include <QString>
#include <algorithm>
#include <optional>

class Document;
class TextBuffer;

// The editing box's rules for its text, apart from showing it: the caret and the anchor, edits
// that never split a character, and undo and redo applied from the EditHistory. The display
// (the box) hears of every change at the moments it must follow it.
class TextEditing {
public:
    class Display {
    public:
        // Just before the text changes; returns the removed text a reader should hear of after
        // the change, or nothing.
        virtual QString textAboutToChange(qsizetype position, qsizetype length,
                                          const QString& replacement) = 0;
        virtual void textChangedAt(qsizetype position, qsizetype length, const QString& removed,
                                   const QString& inserted) = 0;
        // An edit or an undo step put the caret after it. told: a reader hears of the caret
        // even if it is back at the same offset.
        virtual void caretPlacedByEdit(qsizetype anchorBefore, qsizetype cursorBefore,
                                       bool told) = 0;
        // The whole text was replaced keeping the history (an undo or redo of Replace All).
        virtual void showCaret() = 0;

    protected:
        ~Display() = default;
    };

    TextEditing(Document& document, Display& display);

    qsizetype cursor() const { return cursorAt; }
    qsizetype anchor() const { return anchorAt; }
    bool hasSelection() const { return anchorAt != cursorAt; }
    qsizetype selectionStart() const { return std::min(anchorAt, cursorAt); }
    qsizetype selectionEnd() const { return std::max(anchorAt, cursorAt); }
    QString selectedText() const;
    // Moves the caret and the anchor, kept inside the text; false when neither moved.
    bool place(qsizetype anchor, qsizetype cursor);

    bool canUndo() const { return history.canUndo(); }
    bool canRedo() const { return history.canRedo(); }
    // The last two edits are one undo step (text moved by a drag).
    void joinLastTwo() { history.joinLastTwo(); }

    // Replaces the selection with text typed or pasted (line breaks of any kind become '\n').
    void insert(const QString& typed, bool typing);
    void replaceSelection(const QString& replacement, EditHistory::Kind kind);
    // Every change of the text but undo and redo (and a reader's, aside) comes here; the caret
    // ends after the text put in. False when there was nothing to change.
    bool edit(qsizetype position, qsizetype length, const QString& replacement,
              EditHistory::Kind kind);
    // An edit made elsewhere (a screen reader's): the caret and the anchor keep their place in
    // the text around it, as a QTextCursor's do.
    bool editAside(qsizetype position, qsizetype length, const QString& replacement);
    // Replaces the whole text as one undo step, the caret at caret.
    void replaceWhole(TextBuffer replaced, qsizetype caret);
    // Undoes or redoes one step of the history; returns where the caret belongs after it, the
    // end of all it changed.
    qsizetype takeBackStep(bool undoing);

    // After the document's whole text was replaced: where the caret goes when the rules put the
    // text in place themselves (Replace All, its undo and redo); otherwise, the text is new and
    // the history starts anew.
    std::optional<qsizetype> followReplacement();
    // Puts the caret and the anchor at a place known to be inside the text.
    void putCaret(qsizetype at) { cursorAt = anchorAt = at; }

private:
    // What edit and editAside share: the range widened to whole code points, no lone surrogate
    // put in, and the change recorded and made; nothing when there is nothing to change.
    std::optional<TextEdit> record(qsizetype position, qsizetype length, const QString& replacement,
                                   EditHistory::Kind kind);
    void apply(qsizetype position, qsizetype length, const QString& replacement);
    void takeBack(const TextEdit& edit);
    void putText(TextBuffer replaced, qsizetype caret);

    Document& doc;
    TextBuffer& text; // the document's
    Display& display;
    EditHistory history;
    qsizetype cursorAt = 0;
    qsizetype anchorAt = 0;
    std::optional<qsizetype> placedCaret; // set while putText replaces the document's text
};
