#include "app/PlainEditingBox.h"

#include "editor/TextView.h"

#include <QPalette>

PlainEditingBox::PlainEditingBox(QWidget* parent) : edit(new TextView(parent)) {
    edit->setObjectName(QStringLiteral("txtMain"));
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QWidget* PlainEditingBox::widget() {
    return edit;
}

QString PlainEditingBox::text() const {
    return edit->toPlainText();
}

void PlainEditingBox::setText(QString text) {
    edit->setPlainText(std::move(text));
}

void PlainEditingBox::setText(TextBuffer text) {
    edit->setBuffer(std::move(text));
}

QString PlainEditingBox::firstLines(qsizetype count) const {
    const TextBuffer& text = edit->buffer();
    return text.mid(0, text.lineEnd(std::min(count, text.lineCount()) - 1));
}

TextBuffer PlainEditingBox::snapshot() const {
    return edit->buffer();
}

const TextBuffer& PlainEditingBox::buffer() const {
    return edit->buffer();
}

qsizetype PlainEditingBox::selectionStart() const {
    return edit->selectionStart();
}

qsizetype PlainEditingBox::selectionEnd() const {
    return edit->selectionEnd();
}

void PlainEditingBox::select(qsizetype anchor, qsizetype cursor) {
    edit->setSelection(anchor, cursor);
    edit->ensureCursorVisible();
}

QRect PlainEditingBox::caretLineOnScreen() const {
    const QWidget* viewport = edit->viewport();
    const QRect caret = edit->cursorRect();
    return QRect(viewport->mapToGlobal(QPoint(0, caret.top())),
                 QSize(viewport->width(), caret.height()));
}

void PlainEditingBox::replace(qsizetype position, qsizetype length, const QString& text) {
    edit->replaceRange(position, length, text);
}

void PlainEditingBox::replaceWhole(TextBuffer text, qsizetype caret) {
    edit->replaceWhole(std::move(text), caret);
}

void PlainEditingBox::setHeld(bool held) {
    edit->setHeld(held);
}

bool PlainEditingBox::isEnabled() const {
    return edit->isEnabled();
}

void PlainEditingBox::setEnabled(bool enabled) {
    edit->setEnabled(enabled);
}

QFont PlainEditingBox::font() const {
    return edit->font();
}

void PlainEditingBox::setFont(const QFont& font) {
    edit->setFont(font);
}

QColor PlainEditingBox::textColor() const {
    return edit->palette().color(QPalette::Active, QPalette::Text);
}

void PlainEditingBox::setTextColor(const QColor& colour) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Active, QPalette::Text, colour);
    palette.setColor(QPalette::Inactive, QPalette::Text, colour);
    edit->setPalette(palette);
}
