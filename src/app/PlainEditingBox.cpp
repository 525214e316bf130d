#include "app/PlainEditingBox.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QTextDocument>

PlainEditingBox::PlainEditingBox(QWidget* parent) : edit(new QPlainTextEdit(parent)) {
    edit->setObjectName(QStringLiteral("txtMain"));
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QWidget* PlainEditingBox::widget() {
    return edit;
}

QString PlainEditingBox::text() const {
    // toPlainText() would turn no-break spaces into spaces; the raw text keeps every character
    // and marks line breaks with the paragraph separator.
    QString raw = edit->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

void PlainEditingBox::setText(const QString& text) {
    edit->setPlainText(text);
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
