#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;
class TextBuffer;

// The editing box txtMain as the rest of the program sees it. Line breaks in text() and
// setText() are '\n'; how a document's own line breaks are kept is the document format's affair.
class EditingBox {
public:
    virtual ~EditingBox() = default;

    virtual QWidget* widget() = 0;
    virtual QString text() const = 0;
    // Takes the string's storage: pass a document's text with std::move to avoid a copy.
    virtual void setText(QString text) = 0;
    // The same with the text already in the box's own form (built on a worker thread).
    virtual void setText(TextBuffer text) = 0;
    // The first lines only, for what shows only the start of a document (a printed page).
    virtual QString firstLines(qsizetype count) const = 0;
    // The text as it is now, for saving on another thread: later edits of the box never reach
    // it (the copy shares the text's storage until either side changes).
    virtual TextBuffer snapshot() const = 0;
    // The text itself, read in place (by a search); valid until the next change.
    virtual const TextBuffer& buffer() const = 0;
    virtual qsizetype selectionStart() const = 0;
    virtual qsizetype selectionEnd() const = 0;
    // Selects from anchor to cursor (the caret) and scrolls the caret into view.
    virtual void select(qsizetype anchor, qsizetype cursor) = 0;
    // The caret's line across the box, in screen coordinates: what a window beside the box
    // should leave uncovered.
    virtual QRect caretLineOnScreen() const = 0;
    // Replaces a stretch of the text as one step that Undo takes back; the caret goes after it.
    virtual void replace(qsizetype position, qsizetype length, const QString& text) = 0;
    // Puts a new text in place of the whole text as one step that Undo takes back at once
    // (Replace All); the caret goes to caret with nothing selected.
    virtual void replaceWhole(TextBuffer text, qsizetype caret) = 0;
    // While long work reads or replaces the text, keys typed meanwhile are kept and applied
    // once the hold ends, so none is lost.
    virtual void setHeld(bool held) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual QFont font() const = 0;
    virtual void setFont(const QFont& font) = 0;
    virtual QColor textColor() const = 0;
    virtual void setTextColor(const QColor& colour) = 0;
};
