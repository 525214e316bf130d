#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// The editing box txtMain as the rest of the program sees it. Line breaks in text() and
// setText() are '\n'; how a document's own line breaks are kept is the document format's affair.
class EditingBox {
public:
    virtual ~EditingBox() = default;

    virtual QWidget* widget() = 0;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual QFont font() const = 0;
    virtual void setFont(const QFont& font) = 0;
    virtual QColor textColor() const = 0;
    virtual void setTextColor(const QColor& colour) = 0;
};
