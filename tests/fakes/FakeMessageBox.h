#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <functional>

// Scripted message boxes: answers queued by the test (Ok when none; MessageBox::Dismissed for
// Escape or the close box), every box recorded.
class FakeMessageBox : public MessageBox {
public:
    struct Call {
        QString text;
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
        bool operator==(const Call&) const = default;
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

// Shows a whole box in a failed QCOMPARE.
char* toString(const FakeMessageBox::Call& call);
