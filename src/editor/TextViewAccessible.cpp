#include "editor/TextViewAccessible.h"

#include "editor/TextView.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextBoundaryFinder>

namespace {

// Whole documents are never handed to a reader in one event; beyond this they get a bare notice.
constexpr qsizetype largestAnnouncedText = qsizetype(1) << 20;

class TextViewAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit TextViewAccessible(TextView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    TextView* view() const { return static_cast<TextView*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !view()->isReadOnly();
        s.readOnly = view()->isReadOnly() || !view()->isEnabled();
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value && view()->buffer().size() <= largestAnnouncedText)
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
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            view()->setSelection(start, end);
    }
    int cursorPosition() const override { return int(view()->cursorPosition()); }
    void setCursorPosition(int position) override { view()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        return view()->buffer().mid(start, end - start);
    }
    int characterCount() const override { return int(view()->buffer().size()); }
    QRect characterRect(int offset) const override {
        if (offset < 0 || offset > view()->buffer().size())
            return QRect();
        const QRect r = view()->characterRect(offset);
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return int(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int start, int) override { view()->setCursorPosition(start); }
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
    void replaceText(int start, int end, const QString& replacement) override {
        if (!view()->isReadOnly() && view()->isEnabled())
            view()->replaceRange(start, end - start, replacement);
    }

private:
    // The unit (character, word, sentence, line...) at, before or after offset, found within
    // its line only: no unit of plain text crosses a line break except the paragraph, which is
    // the line here too.
    QString around(int offset, QAccessible::TextBoundaryType type, int step, int* start,
                   int* end) const {
        const TextBuffer& text = view()->buffer();
        *start = *end = -1;
        if (offset < 0 || offset > text.size())
            return QString();
        if (type == QAccessible::NoBoundary) {
            *start = 0;
            *end = int(text.size());
            return step == 0 ? text.toString() : QString();
        }
        qsizetype line = text.lineOf(offset);
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
            line += step;
            if (line < 0 || line >= text.lineCount())
                return QString();
            *start = int(text.lineStart(line));
            const qsizetype lineEnd = text.lineEnd(line);
            *end = int(lineEnd < text.size() ? lineEnd + 1 : lineEnd);
            return text.mid(*start, *end - *start);
        }
        const qsizetype lineStart = text.lineStart(line);
        const QString lineText = text.line(line);
        const auto kind = type == QAccessible::CharBoundary   ? QTextBoundaryFinder::Grapheme
                          : type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                              : QTextBoundaryFinder::Sentence;
        QTextBoundaryFinder finder(kind, lineText);
        qsizetype at = offset - lineStart;
        finder.setPosition(at);
        qsizetype from = finder.isAtBoundary() ? at : finder.toPreviousBoundary();
        finder.setPosition(from);
        qsizetype to = finder.toNextBoundary();
        if (step < 0) {
            finder.setPosition(from);
            to = from;
            from = finder.toPreviousBoundary();
        } else if (step > 0) {
            from = to;
            to = finder.toNextBoundary();
        }
        if (from < 0 || to < 0 || from >= to)
            return QString();
        *start = int(lineStart + from);
        *end = int(lineStart + to);
        return lineText.mid(from, to - from);
    }
};

QAccessibleInterface* textViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TextView") && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView*>(object));
    return nullptr;
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

void notifyAccessibleReset(TextView* view) {
    if (!QAccessible::isActive())
        return;
    const TextBuffer& text = view->buffer();
    QAccessibleTextUpdateEvent event(
        view, 0, QString(), text.size() <= largestAnnouncedText ? text.toString() : QString());
    QAccessible::updateAccessibility(&event);
}

void notifyAccessibleCursor(TextView* view, bool selectionChanged) {
    if (!QAccessible::isActive())
        return;
    if (selectionChanged) {
        QAccessibleTextSelectionEvent event(view, int(view->selectionStart()),
                                            int(view->selectionEnd()));
        event.setCursorPosition(int(view->cursorPosition()));
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextCursorEvent event(view, int(view->cursorPosition()));
        QAccessible::updateAccessibility(&event);
    }
}

void notifyAccessibleEdit(TextView* view, qsizetype position, const QString& removed,
                          const QString& inserted) {
    if (!QAccessible::isActive())
        return;
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(view, int(position), inserted);
        QAccessible::updateAccessibility(&event);
    } else if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(view, int(position), removed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(view, int(position), removed, inserted);
        QAccessible::updateAccessibility(&event);
    }
}
