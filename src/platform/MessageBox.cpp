#include "platform/MessageBox.h"

#include "app/ApplicationTitle.h"
#include "platform/ModalScope.h"

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const QString& text,
                                             const QString& title,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::Icon icon) {
    ModalScope modal;
    return present(parent, text, title.isEmpty() ? applicationTitle() : title, buttons, icon);
}

QMessageBox::StandardButton QtMessageBox::present(QWidget* parent, const QString& text,
                                                  const QString& title,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
