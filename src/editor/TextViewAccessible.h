#pragma once

#include <QString>

class TextBuffer;
class TextView;

// Screen readers see the editing box as an editable multi-line text through Qt's accessibility
// interfaces, and hear of its changes as from a QPlainTextEdit. Offsets are UTF-16 positions;
// nothing here walks the whole document, so a reader costs the same at the end of a 100 MB file
// as at its start.
void installTextViewAccessibility();
bool accessibilityActive();

// Whole documents are never handed to a reader in one event: a change of more text than this
// is told without its text.
constexpr qsizetype largestAnnouncedText = qsizetype(1) << 20;

// After the whole text was replaced (New, Open): before is the text it replaced.
void notifyAccessibleReset(TextView* view, const TextBuffer& before, qsizetype anchorBefore,
                           qsizetype cursorBefore);
// After the caret or the selection may have moved from where they were. A caret moved by an
// edit (typing over a selection, say) is told even when back at the same offset.
void notifyAccessibleCursor(TextView* view, qsizetype anchorBefore, qsizetype cursorBefore,
                            bool edited = false);
// After length characters at position were replaced by inserted; removed holds them when they
// were few enough to tell.
void notifyAccessibleEdit(TextView* view, qsizetype position, qsizetype length,
                          const QString& removed, const QString& inserted);
