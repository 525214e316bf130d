#include "platform/MessageBox.h"

#include "basics/ApplicationTitle.h"
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
    // Texts break lines with a lone carriage return, which Qt's label would not show as a break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QMessageBox box(icon, title, shown, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    // A file name such as "<b>.nv" is shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
