// Scrolling to follow the caret, and Page Up and Page Down, line by line as QPlainTextEdit does
// them: every line is one height, the top margin shows only above the first line and the bottom
// margin only below the last, and a page keeps the caret at the height it had on the screen.
#include "editor/TextView.h"

#include <QScrollBar>

int TextView::lineY(qsizetype line) const {
    const qsizetype top = firstVisibleLine();
    const qint64 y = (top == 0 ? margin() : 0) + qint64(line - top) * lineHeight();
    return int(std::clamp<qint64>(y, -(1 << 30), 1 << 30));
}

qsizetype TextView::linesFromBottom() const {
    // The whole lines that fit above the bottom margin when the last line is at the bottom.
    return std::max(0, (viewport()->height() - 2 * margin() - 1) / lineHeight());
}

void TextView::setTopLine(qsizetype line) {
    verticalScrollBar()->setValue(int(std::clamp<qsizetype>(line, 0, INT_MAX)));
}

void TextView::followCaretVertically() {
    const qsizetype line = text.lineOf(cursorPosition());
    const int height = lineHeight();
    const int viewHeight = viewport()->height();
    const int y = lineY(line);
    if (y >= 0 && y + height <= viewHeight)
        return;
    if (y < 0) {
        setTopLine(line);
        return;
    }
    // The caret's line becomes the last whole line on the screen.
    qint64 filled = height;
    qsizetype first = line;
    qsizetype below = line;
    while (filled < viewHeight && first > 0) {
        below = first;
        --first;
        filled += height;
    }
    setTopLine(filled + (first == 0 ? margin() : 0) <= viewHeight ? first : below);
}

qsizetype TextView::positionOnLine(qsizetype line) {
    if (preferredX < 0)
        preferredX = layout.exactX(cursorPosition());
    return layout.positionInLineAt(line, preferredX);
}

void TextView::pageUpDown(bool down, bool select) {
    ensureCursorVisible();
    const int height = lineHeight();
    const int viewHeight = viewport()->height();
    const qsizetype line = text.lineOf(cursorPosition());
    const qsizetype last = text.lineCount() - 1;
    if (!pageYKept)
        pageY = lineY(line);
    qint64 keepY = pageY;
    const qsizetype top = firstVisibleLine();
    const int topMargin = top == 0 ? margin() : 0;
    if (down) {
        // The first line that does not fit whole becomes the top one; on the last page the caret
        // goes to the last line.
        const qint64 bottom = viewHeight - topMargin;
        qint64 filled = 0;
        qsizetype next = top;
        bool atEnd = false;
        while (filled + height + (next == last ? margin() : 0) <= bottom) {
            if (next == last) {
                atEnd = true;
                keepY = bottom;
                break;
            }
            filled += height;
            ++next;
        }
        if (!atEnd)
            setTopLine(next);
    } else {
        // A page up, or to the top; from the first page the caret goes to the first line.
        const qint64 pageTop = -topMargin - viewHeight;
        qint64 filled = 0;
        qsizetype first = top;
        while (filled >= pageTop) {
            if (first == 0) {
                if (top == 0)
                    keepY = 0;
                break;
            }
            --first;
            filled -= height;
        }
        if (pageTop - filled > 0 && first + 1 <= last && first + 1 != top)
            ++first;
        setTopLine(first);
    }
    const qsizetype newTop = firstVisibleLine();
    keepY -= newTop == 0 ? margin() : 0;
    qsizetype target = line;
    while (true) {
        const qsizetype next = target + (down ? 1 : -1);
        if (next < 0 || next > last)
            break;
        target = next;
        const qint64 y = qint64(target - newTop) * height;
        if (down ? y >= keepY : y <= keepY)
            break;
    }
    if (target != line) {
        const qsizetype to = positionOnLine(target);
        moveInColumn(select ? anchorPosition() : to, to);
    }
    ensureCursorVisible();
    pageYKept = true;
}

QRect TextView::caretLineOnScreen() const {
    const QRect caret = cursorRect();
    return QRect(viewport()->mapToGlobal(QPoint(0, caret.top())),
                 QSize(viewport()->width(), caret.height()));
}
