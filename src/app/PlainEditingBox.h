#pragma once

#include "app/EditingBox.h"

class TextView;

// txtMain over our own TextView: no wrapping, both scroll bars, its own undo and clipboard keys,
// and fast on documents of hundreds of megabytes.
class PlainEditingBox : public EditingBox {
public:
    explicit PlainEditingBox(QWidget* parent);

    QWidget* widget() override;
    QString text() const override;
    void setText(QString text) override;
    void setText(TextBuffer text) override;
    QString firstLines(qsizetype count) const override;
    TextBuffer snapshot() const override;
    const TextBuffer& buffer() const override;
    qsizetype selectionStart() const override;
    qsizetype selectionEnd() const override;
    void select(qsizetype anchor, qsizetype cursor) override;
    QRect caretLineOnScreen() const override;
    void replace(qsizetype position, qsizetype length, const QString& text) override;
    void replaceWhole(TextBuffer text, qsizetype caret) override;
    void setHeld(bool held) override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    QFont font() const override;
    void setFont(const QFont& font) override;
    QColor textColor() const override;
    void setTextColor(const QColor& colour) override;

private:
    TextView* edit;
};
