#include "find/frmGoToLine.h"

#include "commands/GroupedNumber.h"
#include "find/OutcomeLabel.h"
#include "platform/ModalScope.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

frmGoToLine::frmGoToLine(QWidget* owner, qsizetype lineCount, qsizetype currentLine)
    : QDialog(owner), lines(std::max<qsizetype>(1, lineCount)) {
    setObjectName(QStringLiteral("frmGoToLine"));
    setWindowTitle(QStringLiteral("Notavo | Go To Line"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* caption =
        new QLabel(QStringLiteral("&Line number (1 to %1):").arg(groupedNumber(lines)), this);
    field = new QLineEdit(QString::number(currentLine + 1), this);
    field->setObjectName(QStringLiteral("txtLine"));
    field->selectAll();
    caption->setBuddy(field);
    // The whole title shows, whatever the window manager's font: the field is at least as wide.
    field->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 80);
    problem = new OutcomeLabel(QAccessible::AlertMessage, this);
    problem->setObjectName(QStringLiteral("lblProblem"));
    QPalette red = problem->palette();
    red.setColor(QPalette::WindowText, QColor(0xB0, 0, 0));
    problem->setPalette(red);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmGoToLine::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(caption);
    column->addWidget(field);
    column->addWidget(problem);
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void frmGoToLine::accept() {
    const QString typed = field->text().trimmed();
    bool digitsOnly = !typed.isEmpty();
    for (const QChar c : typed)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    // Too many digits for a number is still a number, and past the end.
    bool fits = false;
    const qulonglong number = typed.toULongLong(&fits);
    if (!digitsOnly || (fits && number == 0)) {
        const QString why =
            QStringLiteral("Type a line number from 1 to %1.").arg(groupedNumber(lines));
        problem->showOutcome(why);
        Q_EMIT refused(why);
        field->setFocus();
        field->selectAll();
        return;
    }
    chosen = fits && number <= qulonglong(lines) ? qsizetype(number) - 1 : lines - 1;
    QDialog::accept();
}

QLabel* frmGoToLine::lblProblem() const {
    return problem;
}

std::optional<qsizetype> askForLine(QWidget* owner, qsizetype lineCount, qsizetype currentLine,
                                    const std::function<void(const QString&)>& refused) {
    frmGoToLine ask(owner, lineCount, currentLine);
    QObject::connect(&ask, &frmGoToLine::refused, owner, refused);
    const ModalScope modal;
    if (ask.exec() != QDialog::Accepted)
        return std::nullopt;
    return ask.line();
}
