#pragma once

#include "app/EditingBox.h"

class QPlainTextEdit;

// txtMain over QPlainTextEdit: no wrapping, both scroll bars, its own undo and clipboard keys.
class PlainEditingBox : public EditingBox {
public:
    explicit PlainEditingBox(QWidget* parent);

    QWidget* widget() override;
    QString text() const override;
    void setText(const QString& text) override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    QFont font() const override;
    void setFont(const QFont& font) override;
    QColor textColor() const override;
    void setTextColor(const QColor& colour) override;

private:
    QPlainTextEdit* edit;
};
