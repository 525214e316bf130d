#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <functional>

// Scripted message boxes: answers queued by the test (Ok when none), every box recorded.
class FakeMessageBox : public MessageBox {
public:
    struct Call {
        QString text;
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
    };
    QList<Call> calls;
    QList<QMessageBox::StandardButton> answers;
    // Runs while the next box is "open".
    std::function<void()> whileOpen;

protected:
    QMessageBox::StandardButton present(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) override;
};
