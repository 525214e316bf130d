#include "editor/TextViewAccessible.h"

#include "editor/TextView.h"
#include "text/LineBreaks.h"
#include "text/TextBoundaries.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace {

// [start, end) of a character, word, sentence or line; {-1, -1} when there is none.
using Unit = std::pair<qsizetype, qsizetype>;
constexpr Unit noUnit{-1, -1};

// Characters, words and sentences as QTextCursor finds them for QPlainTextEdit's reader, found
// in a copy of the text around an offset: at most this many characters either side, so a query
// costs the same in a line of 100 MB.
constexpr qsizetype reach = 512;

class Neighbourhood {
public:
    Neighbourhood(const TextBuffer& text, qsizetype offset)
        : from(codePointStart(text, std::max<qsizetype>(0, offset - reach))),
          to(std::min(text.size(), offset + reach)) {
        if (codePointStart(text, to) != to)
            ++to;
        QString copy = text.mid(from, to - from);
        // The document would break paragraphs at these as well: each stays one character.
        for (QChar& c : copy)
            if (c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
                c == QChar(0xFDD1))
                c = QChar::ReplacementCharacter;
        document.setPlainText(copy);
    }

    // The unit at offset as QPlainTextEdit answers it, except that a character is always a whole
    // grapheme cluster: never half an emoji.
    Unit at(qsizetype offset, QAccessible::TextBoundaryType type) {
        QTextCursor cursor(&document);
        cursor.setPosition(int(std::clamp(offset, from, to) - from));
        const int inBlock = cursor.positionInBlock();
        if (type == QAccessible::CharBoundary && inBlock > 0 &&
            inBlock < cursor.block().length() - 1 &&
            !cursor.block().layout()->isValidCursorPosition(inBlock))
            cursor.movePosition(QTextCursor::PreviousCharacter);
        const auto [start, end] = QAccessible::qAccessibleTextBoundaryHelper(cursor, type);
        return {from + start, from + end};
    }

    // The units before and after: QPlainTextEdit answers the unit itself again (or an empty one)
    // where it ends at a space or a line end, so a reader walking the text would stall there.
    // These skip to the nearest unit that holds text.
    Unit before(Unit here, QAccessible::TextBoundaryType type) {
        for (qsizetype p = here.first - 1; p >= from;) {
            const Unit u = at(p, type);
            if (u.first < u.second && u.second <= here.first)
                return u;
            p = std::min(p, u.first) - 1;
        }
        return noUnit;
    }
    Unit after(Unit here, QAccessible::TextBoundaryType type) {
        for (qsizetype p = here.second; p <= to;) {
            const Unit u = at(p, type);
            if (u.first < u.second && u.first >= here.second)
                return u;
            p = std::max(p + 1, u.second);
            // From every space of a run the word before it is found again.
            while (p < to && isSpace(p))
                ++p;
        }
        return noUnit;
    }

private:
    bool isSpace(qsizetype offset) const {
        const QChar c = document.characterAt(int(offset - from));
        return c.isSpace() && c != QChar::ParagraphSeparator;
    }

    qsizetype from;
    qsizetype to;
    QTextDocument document;
};

// A line runs to the start of the next one, its line break included, as AT-SPI defines it.
Unit lineUnit(const TextBuffer& text, qsizetype line) {
    if (line < 0 || line >= text.lineCount())
        return noUnit;
    const qsizetype end = text.lineEnd(line);
    return {text.lineStart(line), end < text.size() ? end + 1 : end};
}

class TextViewAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit TextViewAccessible(TextView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    TextView* view() const { return static_cast<TextView*>(widget()); }
    const TextBuffer& buffer() const { return view()->buffer(); }
    bool inText(int offset) const { return offset >= 0 && offset <= buffer().size(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const bool editable = !view()->isReadOnly() && view()->isEnabled();
        s.editable = editable;
        s.readOnly = !editable;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && buffer().size() <= largestAnnouncedText)
            return view()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && view()->hasSelection()) {
            *start = int(view()->selectionStart());
            *end = int(view()->selectionEnd());
        }
    }
    int selectionCount() const override { return view()->hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            view()->setCursorPosition(view()->cursorPosition());
    }
    // Offsets outside the text are ignored, as QPlainTextEdit ignores them.
    void setSelection(int index, int start, int end) override {
        if (index == 0 && inText(start) && inText(end))
            view()->setSelection(start, end);
    }
    int cursorPosition() const override { return int(view()->cursorPosition()); }
    void setCursorPosition(int position) override {
        if (inText(position))
            view()->setCursorPosition(position);
    }
    QString text(int start, int end) const override {
        if (!inText(start) || !inText(end))
            return QString();
        return buffer().mid(std::min(start, end), std::abs(end - start));
    }
    int characterCount() const override { return int(buffer().size()); }
    QRect characterRect(int offset) const override {
        if (!inText(offset))
            return QRect();
        const QRect r = view()->characterRect(offset);
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    // The character under the point, as a click on its right half still means that character.
    int offsetAtPoint(const QPoint& point) const override {
        return int(view()->positionAt(view()->viewport()->mapFromGlobal(point), true));
    }
    // Brings the line into view; the caret stays where the user left it.
    void scrollToSubstring(int start, int) override {
        if (!inText(start))
            return;
        QScrollBar* bar = view()->verticalScrollBar();
        const qsizetype line = buffer().lineOf(start);
        if (line < bar->value() || line >= bar->value() + bar->pageStep())
            bar->setValue(int(line));
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return QString();
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        return around(offset, type, 0, start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        return around(offset, type, -1, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        return around(offset, type, 1, start, end);
    }

    // QAccessibleEditableTextInterface
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& inserted) override {
        replaceText(offset, offset, inserted);
    }
    // As typed text: line breaks of any kind become '\n'. An offset outside the text (AT-SPI's
    // -1 for "to the end" among them) makes no edit, as in QPlainTextEdit.
    void replaceText(int start, int end, const QString& replacement) override {
        TextView* v = view();
        if (v->isReadOnly() || !v->isEnabled() || !inText(start) || !inText(end))
            return;
        v->replaceRangeAside(std::min(start, end), std::abs(end - start),
                             normalizeLineBreaks(replacement));
    }

private:
    QString around(int offset, QAccessible::TextBoundaryType type, int step, int* start,
                   int* end) const {
        if (!inText(offset)) {
            *start = *end = -1;
            return QString();
        }
        Unit unit = unitAround(offset, type, step);
        // Nothing before the first unit or after the last: an empty range at the start or the
        // end of the text, as QPlainTextEdit answers, never offsets a reader cannot use.
        if (unit == noUnit) {
            const qsizetype at = step < 0 ? 0 : step > 0 ? buffer().size() : offset;
            unit = {at, at};
        }
        *start = int(unit.first);
        *end = int(unit.second);
        return buffer().mid(unit.first, unit.second - unit.first);
    }

    Unit unitAround(qsizetype offset, QAccessible::TextBoundaryType type, int step) const {
        const TextBuffer& text = buffer();
        if (type == QAccessible::NoBoundary)
            return step == 0 ? Unit{0, text.size()} : noUnit;
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
            return lineUnit(text, text.lineOf(offset) + step);
        Neighbourhood near(text, offset);
        const Unit unit = near.at(offset, type);
        return step < 0 ? near.before(unit, type) : step > 0 ? near.after(unit, type) : unit;
    }
};

QAccessibleInterface* textViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TextView") && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView*>(object));
    return nullptr;
}

void tell(QAccessibleEvent& event) {
    QAccessible::updateAccessibility(&event);
}

// A change is told as a removal and an insertion, the two events AT-SPI carries.
void tellChange(TextView* view, qsizetype position, const QString& removed,
                const QString& inserted) {
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(view, int(position), removed);
        tell(event);
    }
    if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(view, int(position), inserted);
        tell(event);
    }
}

// Too much text to hand over: the reader only learns that the text changed.
void tellLargeChange(TextView* view, qsizetype position) {
    QAccessibleTextUpdateEvent event(view, int(position), QString(), QString());
    tell(event);
}

// As QPlainTextEdit: a selection event when a selection came, went or changed.
void tellSelection(TextView* view, qsizetype anchorBefore, qsizetype cursorBefore) {
    const bool had = anchorBefore != cursorBefore;
    const bool has = view->hasSelection();
    const bool moved =
        view->anchorPosition() != anchorBefore || view->cursorPosition() != cursorBefore;
    if (had == has && !(has && moved))
        return;
    QAccessibleTextSelectionEvent event(view, int(view->selectionStart()),
                                        int(view->selectionEnd()));
    event.setCursorPosition(int(view->cursorPosition()));
    tell(event);
}

void tellCaret(TextView* view) {
    QAccessibleTextCursorEvent event(view, int(view->cursorPosition()));
    tell(event);
}

} // namespace

void installTextViewAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(textViewFactory);
        return true;
    }();
    (void)installed;
}

bool accessibilityActive() {
    return QAccessible::isActive();
}

void notifyAccessibleReset(TextView* view, const TextBuffer& before, qsizetype anchorBefore,
                           qsizetype cursorBefore) {
    if (!QAccessible::isActive())
        return;
    const TextBuffer& now = view->buffer();
    if (before.size() <= largestAnnouncedText && now.size() <= largestAnnouncedText)
        tellChange(view, 0, before.toString(), now.toString());
    else
        tellLargeChange(view, 0);
    // Even when it was at the start already, as QPlainTextEdit does.
    tellCaret(view);
    tellSelection(view, anchorBefore, cursorBefore);
}

void notifyAccessibleCursor(TextView* view, qsizetype anchorBefore, qsizetype cursorBefore,
                            bool edited) {
    if (!QAccessible::isActive())
        return;
    if (edited || view->cursorPosition() != cursorBefore)
        tellCaret(view);
    tellSelection(view, anchorBefore, cursorBefore);
}

void notifyAccessibleEdit(TextView* view, qsizetype position, qsizetype length,
                          const QString& removed, const QString& inserted) {
    if (!QAccessible::isActive())
        return;
    if (removed.size() != length || inserted.size() > largestAnnouncedText)
        tellLargeChange(view, position);
    else
        tellChange(view, position, removed, inserted);
}
