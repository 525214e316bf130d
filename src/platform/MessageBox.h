#pragma once

#include <QMessageBox>
#include <QString>

// Modal message boxes. An empty title means the application title. Escape and the close box
// answer Cancel when the box has that button, and Dismissed otherwise, so that a question whose
// buttons are Yes and No can tell "neither" from No.
class MessageBox {
public:
    static constexpr QMessageBox::StandardButton Dismissed = QMessageBox::NoButton;

    virtual ~MessageBox() = default;

    QMessageBox::StandardButton show(QWidget* parent, const QString& text, const QString& title,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                     QMessageBox::Icon icon = QMessageBox::NoIcon);

protected:
    virtual QMessageBox::StandardButton present(QWidget* parent, const QString& text,
                                                const QString& title,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::Icon icon) = 0;
};

class QtMessageBox : public MessageBox {
protected:
    QMessageBox::StandardButton present(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) override;
};
