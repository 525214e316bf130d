#include "platform/MessageBox.h"

#include "basics/ApplicationTitle.h"
#include "platform/ModalScope.h"

#include <QCloseEvent>
#include <QKeyEvent>

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const QString& text,
                                             const QString& title,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::Icon icon) {
    ModalScope modal;
    return present(parent, text, title.isEmpty() ? applicationTitle() : title, buttons, icon);
}

namespace {
// Escape and the close box answer Dismissed where Qt would press the box's No (or only) button.
class DismissableBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool dismissable = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (dismissable && event->matches(QKeySequence::Cancel)) {
            done(MessageBox::Dismissed);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (dismissable && !clickedButton()) {
            event->accept();
            done(MessageBox::Dismissed);
            return;
        }
        QMessageBox::closeEvent(event);
    }
};
} // namespace

QMessageBox::StandardButton QtMessageBox::present(QWidget* parent, const QString& text,
                                                  const QString& title,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::Icon icon) {
    // Texts break lines with a lone carriage return, which Qt's label would not show as a break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    DismissableBox box(icon, title, shown, buttons, parent);
    box.dismissable = !buttons.testFlag(QMessageBox::Cancel);
    box.setObjectName(QStringLiteral("messageBox"));
    // A file name such as "<b>.nv" is shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
