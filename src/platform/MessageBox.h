#pragma once

#include <QMessageBox>
#include <QString>

// Modal message boxes. An empty title means the application title.
class MessageBox {
public:
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
