#include "commands/HelpCommands.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

namespace {
// One window of a kind at a time: a later command brings the open one forward, as it is.
void showSingle(QPointer<QWidget>& open, const std::function<QWidget*()>& create) {
    if (!open)
        open = create();
    open->show();
    open->raise();
    open->activateWindow();
}

void wire(QWidget& window, const QString& name, std::function<QWidget*()> create) {
    QObject::connect(window.findChild<QAction*>(name), &QAction::triggered, &window,
                     [create = std::move(create), open = QPointer<QWidget>()]() mutable {
                         showSingle(open, create);
                     });
}
} // namespace

void connectHelpCommands(const HelpSeams& seams) {
    wire(seams.window, QStringLiteral("mnuHelpHelpTopics"), seams.helpTopics);
    wire(seams.window, QStringLiteral("mnuAbout"), seams.about);
    wire(seams.window, QStringLiteral("mnuHelpR_A_B"), seams.reportBug);
}
