#include "fakes/FakeMessageBox.h"

QMessageBox::StandardButton FakeMessageBox::present(QWidget*, const QString& text,
                                                    const QString& title,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::Icon icon) {
    calls << Call{text, title, buttons, icon};
    if (whileOpen) {
        auto hook = std::move(whileOpen);
        whileOpen = nullptr;
        hook();
    }
    return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
}

char* toString(const FakeMessageBox::Call& call) {
    return qstrdup(u"{\"%1\", \"%2\", buttons %3, icon %4}"_qs.arg(call.text, call.title)
                       .arg(int(call.buttons))
                       .arg(int(call.icon))
                       .toUtf8()
                       .constData());
}
