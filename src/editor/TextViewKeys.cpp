// The editing box's keyboard: movement, selection, deletion, clipboard and undo keys, and which
// keys it claims before the window's menu shortcuts can take them.
#include "editor/TextView.h"

#include "text/TextBoundaries.h"

#include <QAction>
#include <QKeyEvent>

#include <algorithm>

namespace {

using Key = QKeySequence::StandardKey;

enum class Target {
    NextChar,
    PreviousChar,
    NextWord,
    PreviousWord,
    NextLine,
    PreviousLine,
    NextPage,
    PreviousPage,
    LineStart,
    LineEnd,
    DocumentStart,
    DocumentEnd
};

struct Movement {
    Key move;
    Key select;
    Target target;
};

constexpr Movement movements[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Target::NextChar},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Target::PreviousChar},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Target::NextWord},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Target::PreviousWord},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Target::NextLine},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Target::PreviousLine},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Target::NextPage},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Target::PreviousPage},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Target::LineStart},
    {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Target::LineStart},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Target::LineEnd},
    {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, Target::LineEnd},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
     Target::DocumentStart},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Target::DocumentEnd},
};

constexpr Key editingKeys[] = {
    QKeySequence::Undo,
    QKeySequence::Redo,
    QKeySequence::Cut,
    QKeySequence::Copy,
    QKeySequence::Paste,
    QKeySequence::SelectAll,
    QKeySequence::Delete,
    QKeySequence::Backspace,
    QKeySequence::DeleteEndOfWord,
    QKeySequence::DeleteStartOfWord,
    QKeySequence::InsertParagraphSeparator,
    QKeySequence::InsertLineSeparator,
};

bool isTyped(const QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.isEmpty())
        return false;
    const QChar first = typed.front();
    // Joiners and direction marks are typed with Ctrl+Shift on some layouts.
    if (first.category() == QChar::Other_Format)
        return true;
    // Ctrl alone makes a shortcut; Ctrl with Alt is AltGr on some keyboards.
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier || mods == Qt::AltModifier)
        return false;
    // A character beyond the BMP (an emoji key, say) arrives as a surrogate pair.
    return first.isPrint() || first == u'\t' || first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && typed.size() > 1 && typed.at(1).isLowSurrogate());
}

} // namespace

bool TextView::isEditingShortcut(QKeyEvent* event, bool readOnly) {
    for (const Movement& m : movements)
        if (event->matches(m.move) || event->matches(m.select))
            return true;
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
        return true;
    // A read-only box has no use for the others: they stay the window's shortcuts.
    if (readOnly)
        return false;
    for (const Key key : editingKeys)
        if (event->matches(key))
            return true;
    return isTyped(event) || event->key() == Qt::Key_Tab;
}

// Whether an enabled command of the window (a menu entry) answers to the key.
static bool isWindowShortcut(const QWidget* box, const QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    const QList<QAction*> commands = box->window()->actions();
    return std::any_of(commands.begin(), commands.end(), [&](const QAction* command) {
        const QList<QKeySequence> keys = command->shortcuts();
        return command->isEnabled() && keys.contains(pressed);
    });
}

bool TextView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The box's own keys (Ctrl+X, Ctrl+Z...) win over shortcuts while it has focus, except
        // the keys a menu shows for an enabled entry: those are what the user was promised (the
        // desktop's bindings give Ctrl+E, Save Custom's key, to the end of the line).
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEnabled() && isEditingShortcut(key, readOnly) && !isWindowShortcut(this, key)) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TextView::focusNextPrevChild(bool next) {
    // Tab types a tab while the box can be edited, rather than leaving it.
    if (!readOnly && isEnabled())
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// Backspace takes one code point and Delete one character, as in QPlainTextEdit; with nothing
// selected a run of either is one undo step.
void TextView::removeBackward(bool word) {
    preferredX = -1; // even when there is nothing to take
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    if (cursorPosition() == 0)
        return;
    if (word) {
        const qsizetype from = layout.previousPosition(cursorPosition(), true);
        editing.edit(from, cursorPosition() - from, QString(), EditHistory::Kind::Compound);
        return;
    }
    const qsizetype from = codePointBefore(text, cursorPosition());
    editing.edit(from, cursorPosition() - from, QString(), EditHistory::Kind::Single);
}

void TextView::removeForward(bool word) {
    preferredX = -1;
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    if (cursorPosition() >= text.size())
        return;
    const qsizetype to = layout.nextPosition(cursorPosition(), word);
    editing.edit(cursorPosition(), to - cursorPosition(), QString(),
                 word ? EditHistory::Kind::Compound : EditHistory::Kind::Single);
}

void TextView::moveByKey(int target, bool select) {
    const qsizetype line = text.lineOf(cursorPosition());
    auto t = Target(target);
    // Left and Right follow the line's direction: in a right-to-left line Right goes back.
    const bool sideways = t == Target::NextChar || t == Target::PreviousChar ||
                          t == Target::NextWord || t == Target::PreviousWord;
    if (sideways && layout.isRightToLeft(line))
        t = t == Target::NextChar       ? Target::PreviousChar
            : t == Target::PreviousChar ? Target::NextChar
            : t == Target::NextWord     ? Target::PreviousWord
                                        : Target::NextWord;
    qsizetype to = cursorPosition();
    switch (t) {
    case Target::NextChar:
        to = !select && hasSelection() ? selectionEnd()
                                       : layout.nextPosition(cursorPosition(), false);
        break;
    case Target::PreviousChar:
        to = !select && hasSelection() ? selectionStart()
                                       : layout.previousPosition(cursorPosition(), false);
        break;
    case Target::NextWord:
        to = layout.nextPosition(cursorPosition(), true);
        break;
    case Target::PreviousWord:
        to = layout.previousPosition(cursorPosition(), true);
        break;
    case Target::NextLine:
    case Target::PreviousLine: {
        const bool down = t == Target::NextLine;
        // Past the first or the last line Shift selects to the start or the end of the text;
        // without Shift nothing moves, the selection stays.
        if (line == (down ? text.lineCount() - 1 : 0)) {
            if (select)
                moveTo(anchorPosition(), down ? text.size() : 0);
            return;
        }
        to = positionOnLine(line + (down ? 1 : -1));
        moveInColumn(select ? anchorPosition() : to, to);
        return;
    }
    case Target::NextPage:
    case Target::PreviousPage:
        pageUpDown(t == Target::NextPage, select);
        return;
    case Target::LineStart:
        to = text.lineStart(line);
        break;
    case Target::LineEnd:
        to = text.lineEnd(line);
        break;
    case Target::DocumentStart:
        to = 0;
        break;
    case Target::DocumentEnd:
        to = text.size();
        break;
    }
    moveTo(select ? anchorPosition() : to, to);
}

bool TextView::handleKey(QKeyEvent* event) {
    for (const Movement& m : movements) {
        const bool select = event->matches(m.select);
        if (!select && !event->matches(m.move))
            continue;
        endClicks();
        moveByKey(int(m.target), select);
        if (m.target != Target::NextPage && m.target != Target::PreviousPage)
            ensureCursorVisible();
        if (select)
            exportSelection();
        return true;
    }
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    if (readOnly)
        return false;
    endClicks();
    if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::DeleteStartOfWord))
        removeBackward(true);
    else if (event->matches(QKeySequence::DeleteEndOfWord))
        removeForward(true);
    else if (event->matches(QKeySequence::Delete))
        removeForward(false);
    else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        removeBackward(false);
    else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
             event->matches(QKeySequence::InsertLineSeparator))
        insertText(QStringLiteral("\n"), true);
    else if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier))
        insertText(QStringLiteral("\t"), true);
    else if (isTyped(event))
        insertText(event->text(), true);
    else
        return false;
    ensureCursorVisible();
    return true;
}

void TextView::keyPressEvent(QKeyEvent* event) {
    if (held && isEnabled() && !readOnly && isEditingShortcut(event, false)) {
        heldInput.emplace_back(event->clone());
        event->accept();
        return;
    }
    if (isEnabled() && handleKey(event))
        event->accept();
    else if (!readOnly)
        event->ignore(); // as QPlainTextEdit, which leaves other keys to the window
    else
        QAbstractScrollArea::keyPressEvent(event);
}
