#include "find/frmFind.h"

#include "find/OutcomeLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
// A button that runs a command and follows its enabled state.
QPushButton* commandButton(const QString& caption, const char* name, QAction* command,
                           QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setEnabled(command->isEnabled());
    QObject::connect(button, &QPushButton::clicked, command, &QAction::trigger);
    QObject::connect(command, &QAction::changed, button,
                     [button, command] { button->setEnabled(command->isEnabled()); });
    return button;
}
} // namespace

frmFind::frmFind(QWidget* owner, const Commands& commands) : QDialog(owner) {
    setObjectName(QStringLiteral("frmFind"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* findCaption = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findField = new QLineEdit(this);
    findField->setObjectName(QStringLiteral("txtFind"));
    findCaption->setBuddy(findField);
    replaceCaption = new QLabel(QStringLiteral("Re&place with:"), this);
    replaceField = new QLineEdit(this);
    replaceField->setObjectName(QStringLiteral("txtReplace"));
    replaceCaption->setBuddy(replaceField);
    matchCase = new QCheckBox(QStringLiteral("&Match case"), this);
    matchCase->setObjectName(QStringLiteral("chkMatchCase"));
    wholeWord = new QCheckBox(QStringLiteral("&Whole word"), this);
    wholeWord->setObjectName(QStringLiteral("chkWholeWord"));

    QPushButton* next = commandButton(QStringLiteral("Ne&xt"), "cmdNext", commands.next, this);
    // Return in a text field finds the next match.
    next->setDefault(true);
    QPushButton* previous =
        commandButton(QStringLiteral("Pre&vious"), "cmdPrevious", commands.previous, this);
    QPushButton* replace =
        commandButton(QStringLiteral("&Replace"), "cmdReplace", commands.replace, this);
    QPushButton* replaceAll =
        commandButton(QStringLiteral("Replace &All"), "cmdReplaceAll", commands.replaceAll, this);
    replacing = {replaceCaption, replaceField, replace, replaceAll};
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    outcome = new OutcomeLabel(QAccessible::StatusBar, this);
    outcome->setObjectName(QStringLiteral("lblOutcome"));

    auto* options = new QHBoxLayout;
    options->addWidget(matchCase);
    options->addWidget(wholeWord);
    options->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(findCaption, 0, 0);
    grid->addWidget(findField, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(replaceCaption, 1, 0);
    grid->addWidget(replaceField, 1, 1);
    grid->addWidget(previous, 1, 2);
    grid->addLayout(options, 2, 0, 1, 2);
    grid->addWidget(replace, 2, 2);
    grid->addWidget(replaceAll, 3, 2);
    grid->addWidget(outcome, 3, 0, 2, 2, Qt::AlignTop);
    grid->addWidget(close, 4, 2);
    grid->setColumnMinimumWidth(1, 220);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void frmFind::showFor(bool replacingToo, const QString& selection) {
    setWindowTitle(replacingToo ? QStringLiteral("Notavo | Replace")
                                : QStringLiteral("Notavo | Find"));
    for (QWidget* widget : replacing)
        widget->setVisible(replacingToo);
    if (!selection.isEmpty())
        findField->setText(selection);
    if (!placed && parentWidget()) {
        // Under the main window where the screen has room, else over the bottom of the document;
        // keepClearOf moves it off each match.
        placed = true;
        adjustSize();
        const QRect owner = parentWidget()->frameGeometry();
        const QRect screen = parentWidget()->screen()->availableGeometry();
        const int below = owner.bottom() + 8;
        QPoint at(owner.right() - width(), below + height() + 32 <= screen.bottom()
                                               ? below
                                               : owner.bottom() - height() - 160);
        // Never past an edge of the screen, however small it is; framed as the main window is
        // until it has a frame of its own.
        QSize outer = frameGeometry().size();
        if (outer == size())
            outer += parentWidget()->frameGeometry().size() - parentWidget()->size();
        at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - outer.width())));
        at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - outer.height())));
        move(at);
    }
    show();
    raise();
    activateWindow();
    findField->setFocus();
    findField->selectAll();
}

void frmFind::keepClearOf(const QRect& area) {
    const QRect frame = frameGeometry();
    if (!isVisible() || !frame.intersects(area))
        return;
    const QRect screen = this->screen()->availableGeometry();
    const int below = area.bottom() + 8;
    const int above = area.top() - 8 - frame.height();
    if (below + frame.height() <= screen.bottom())
        move(frame.left(), below);
    else if (above >= screen.top())
        move(frame.left(), above);
}

void frmFind::showOutcome(const QString& text) {
    outcome->showOutcome(text);
}

QString frmFind::outcomeText() const {
    return outcome->text();
}

QString frmFind::wanted() const {
    return findField->text();
}

QString frmFind::replacement() const {
    return replaceField->text();
}

TextSearch::Options frmFind::options() const {
    return {matchCase->isChecked(), wholeWord->isChecked()};
}
