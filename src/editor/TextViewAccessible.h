#pragma once

#include <QString>

class TextView;

// Screen readers see the editing box as an editable multi-line text through Qt's accessibility
// interfaces. Offsets are UTF-16 positions; nothing here walks the whole document, so a reader
// costs the same at the end of a 100 MB file as at its start.
void installTextViewAccessibility();
bool accessibilityActive();
void notifyAccessibleReset(TextView* view);
void notifyAccessibleCursor(TextView* view, bool selectionChanged);
void notifyAccessibleEdit(TextView* view, qsizetype position, const QString& removed,
                          const QString& inserted);
