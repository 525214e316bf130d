#include "find/OutcomeLabel.h"

#include <QAccessibleWidget>

namespace {

class OutcomeAccessible : public QAccessibleWidget {
public:
    explicit OutcomeAccessible(OutcomeLabel* label)
        : QAccessibleWidget(label, label->accessibleRole()) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const OutcomeLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* outcomeFactory(const QString&, QObject* object) {
    if (auto* label = qobject_cast<OutcomeLabel*>(object))
        return new OutcomeAccessible(label);
    return nullptr;
}

} // namespace

OutcomeLabel::OutcomeLabel(QAccessible::Role accessibleRole, QWidget* parent)
    : QLabel(parent), role(accessibleRole) {
    static const bool installed = [] {
        QAccessible::installFactory(outcomeFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide();
}

void OutcomeLabel::showOutcome(const QString& outcome) {
    // A new text is told by QLabel itself; the same words again (a second "Not found") are news
    // too, as each command is.
    const bool again = outcome == text();
    setText(outcome);
    setVisible(!outcome.isEmpty());
    if (outcome.isEmpty())
        return;
    if (again) {
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
    if (role == QAccessible::AlertMessage) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}
