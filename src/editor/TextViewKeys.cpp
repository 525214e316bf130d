// The editing box's keyboard: movement, selection, deletion, clipboard and undo keys, and which
// keys it claims before the window's menu shortcuts can take them.
#include "editor/TextView.h"

#include <QKeyEvent>
#include <QScrollBar>

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

// The position after a code point before position (a surrogate pair counts as one).
qsizetype codePointBefore(const TextBuffer& text, qsizetype position) {
    if (position >= 2 && QChar::isLowSurrogate(text.at(position - 1)) &&
        QChar::isHighSurrogate(text.at(position - 2)))
        return position - 2;
    return position - 1;
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

bool TextView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The box's own keys (Ctrl+X, Ctrl+Z...) win over menu shortcuts while it has focus.
        auto* key = static_cast<QKeyEvent*>(event);
        if (isEnabled() && isEditingShortcut(key, readOnly)) {
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

void TextView::removeBackward(bool word) {
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    if (cursor == 0)
        return;
    const qsizetype from = word ? previousPosition(cursor, true) : codePointBefore(text, cursor);
    replaceRange(from, cursor - from, QString());
}

void TextView::removeForward(bool word) {
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    if (cursor >= text.size())
        return;
    const qsizetype to = nextPosition(cursor, word);
    replaceRange(cursor, to - cursor, QString());
}

bool TextView::handleKey(QKeyEvent* event) {
    for (const Movement& m : movements) {
        const bool select = event->matches(m.select);
        if (!select && !event->matches(m.move))
            continue;
        const int visible = std::max(1, viewport()->height() / lineHeight() - 1);
        qsizetype to = cursor;
        switch (m.target) {
        case Target::NextChar:
            to = !select && hasSelection() ? selectionEnd() : nextPosition(cursor, false);
            break;
        case Target::PreviousChar:
            to = !select && hasSelection() ? selectionStart() : previousPosition(cursor, false);
            break;
        case Target::NextWord:
            to = nextPosition(cursor, true);
            break;
        case Target::PreviousWord:
            to = previousPosition(cursor, true);
            break;
        case Target::NextLine:
        case Target::PreviousLine:
        case Target::NextPage:
        case Target::PreviousPage: {
            const qsizetype lines = m.target == Target::NextLine       ? 1
                                    : m.target == Target::PreviousLine ? -1
                                    : m.target == Target::NextPage     ? visible
                                                                       : -visible;
            if (lines == visible || lines == -visible)
                verticalScrollBar()->setValue(verticalScrollBar()->value() + int(lines));
            moveVertically(lines, select);
            ensureCursorVisible();
            return true;
        }
        case Target::LineStart:
            to = text.lineStart(text.lineOf(cursor));
            break;
        case Target::LineEnd:
            to = text.lineEnd(text.lineOf(cursor));
            break;
        case Target::DocumentStart:
            to = 0;
            break;
        case Target::DocumentEnd:
            to = text.size();
            break;
        }
        preferredX = -1;
        setCursorPosition(to, select);
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
    else if (event->key() == Qt::Key_Backspace &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
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
    else
        QAbstractScrollArea::keyPressEvent(event);
}
