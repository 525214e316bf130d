#include "commands/FindCommands.h"

#include "basics/Failure.h"
#include "commands/ErrorReport.h"
#include "commands/GroupedNumber.h"
#include "commands/LongTask.h"
#include "document/FileErrors.h"
#include "editor/TextView.h"
#include "text/TextBuffer.h"
#include "text/TextSearch.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <new>

namespace {

using Direction = TextSearch::Direction;

// A selection longer than this is not what anyone means to find.
constexpr qsizetype longestSelectionToFind = 1000;

class FindCommands : public QObject {
public:
    explicit FindCommands(const FindSeams& findSeams)
        : QObject(&findSeams.window), seams(findSeams), window(findSeams.window) {
        setObjectName(QStringLiteral("findCommands"));
        replaceOne = new QAction(QStringLiteral("Replace"), &window);
        replaceOne->setObjectName(QStringLiteral("actFindReplace"));
        replaceEvery = new QAction(QStringLiteral("Replace All"), &window);
        replaceEvery->setObjectName(QStringLiteral("actFindReplaceAll"));
        const auto bind = [this](const QString& name, auto command) {
            QAction* entry = window.findChild<QAction*>(name);
            connect(entry, &QAction::triggered, this, command);
            following.append(entry);
        };
        bind(QStringLiteral("mnuEditFind"), [this] { showFind(false); });
        bind(QStringLiteral("mnuEditFindNext"), [this] { findAgain(Direction::Forward); });
        bind(QStringLiteral("mnuEditFindPrevious"), [this] { findAgain(Direction::Backward); });
        bind(QStringLiteral("mnuEditReplace"), [this] { showFind(true); });
        bind(QStringLiteral("mnuEditGoToLine"), [this] { goToLine(); });
        bind(QStringLiteral("actFindReplace"), [this] { replaceCurrent(); });
        bind(QStringLiteral("actFindReplaceAll"), [this] { replaceAll(); });
        followDocument();
        seams.txtMain.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange)
            followDocument();
        return QObject::eventFilter(watched, event);
    }

private:
    // The box is enabled by New and Open and never disabled again: then there is a document.
    void followDocument() {
        const bool document = seams.txtMain.isEnabled();
        for (QAction* entry : following)
            entry->setEnabled(document);
    }

    // The find window, while it exists.
    FindPanel* openPanel() const { return shownDialog ? panel : nullptr; }

    FindPanel& findWindow() {
        if (!openPanel()) {
            panel =
                seams.findWindow({window.findChild<QAction*>(QStringLiteral("mnuEditFindNext")),
                                  window.findChild<QAction*>(QStringLiteral("mnuEditFindPrevious")),
                                  replaceOne, replaceEvery});
            shownDialog = &panel->dialog();
            // The main window's shortcuts work from the find window too.
            shownDialog->addActions(window.actions());
            connect(shownDialog, &QDialog::rejected, this, [this] {
                window.activateWindow();
                seams.txtMain.setFocus();
            });
        }
        return *panel;
    }

    // The selection, when it lies within one line: what the user most likely wants found.
    QString selectedLine() const {
        const TextView& box = seams.txtMain;
        const TextBuffer& text = box.buffer();
        const qsizetype start = box.selectionStart();
        const qsizetype end = box.selectionEnd();
        if (end == start || end - start > longestSelectionToFind ||
            text.lineOf(start) != text.lineOf(end))
            return QString();
        return text.mid(start, end - start);
    }

    void showFind(bool replacing) { findWindow().showFor(replacing, selectedLine()); }

    // In the status bar, and in the find window where the keyboard (and a screen reader) is.
    void report(const QString& message) {
        shown = message;
        seams.ShowStatus(message);
        if (FindPanel* dialog = openPanel())
            dialog->showOutcome(message);
    }

    void findAgain(Direction direction) {
        FindPanel* dialog = openPanel();
        if (!dialog || dialog->wanted().isEmpty()) {
            showFind(false);
            return;
        }
        const QString wanted = dialog->wanted();
        const TextSearch search(wanted, dialog->options());
        TextView& box = seams.txtMain;
        // A large text is searched on a worker: it reads a copy that no edit of the box reaches.
        const TextBuffer text = box.buffer();
        const qsizetype from =
            direction == Direction::Forward ? box.selectionEnd() : box.selectionStart();
        WindowHold hold(window, box);
        const std::optional<TextSearch::Match> found = runLongTask(
            hold, QLatin1String("Searching for ") + wanted, {text.size(), text.size()},
            [&](LongTask& task) {
                return search.find(text, from, direction, true, [&task](qsizetype scanned) {
                    task.setDone(scanned);
                    return !task.cancelled();
                });
            });
        // Keys typed meanwhile go where the caret was, before the match is selected.
        hold.release();
        if (!found || found->stopped) {
            report(QStringLiteral("Find cancelled"));
            return;
        }
        const TextSearch::Match& match = *found;
        if (!match.found()) {
            report(QLatin1String("Not found: ") + wanted);
            return;
        }
        box.setSelection(match.position, match.position + match.length);
        box.ensureCursorVisible();
        dialog->keepClearOf(box.caretLineOnScreen());
        if (match.wrapped)
            report(direction == Direction::Forward
                       ? QStringLiteral("Reached the end; continued from the start")
                       : QStringLiteral("Reached the start; continued from the end"));
        else {
            if (seams.statusText() == shown)
                seams.setStatusText(QStringLiteral("Ready")); // an old "Not found" would mislead
            dialog->showOutcome(QString());
        }
    }

    // Replaces the selection when it is a match, then finds the next one.
    void replaceCurrent() {
        FindPanel* dialog = openPanel();
        if (!dialog || dialog->wanted().isEmpty())
            return;
        const TextSearch search(dialog->wanted(), dialog->options());
        TextView& box = seams.txtMain;
        const qsizetype start = box.selectionStart();
        const qsizetype end = box.selectionEnd();
        if (end - start == search.length() && search.matchesAt(box.buffer(), start))
            box.replaceRange(start, end - start, dialog->replacement());
        findAgain(Direction::Forward);
    }

    // Every match in the whole document, built on a worker from a copy and put in place as one
    // step of undo. Keys typed meanwhile are applied afterwards, to the replaced text.
    void replaceAll() {
        FindPanel* dialog = openPanel();
        if (!dialog || dialog->wanted().isEmpty())
            return;
        const QString wanted = dialog->wanted();
        const QString replacement = dialog->replacement();
        const TextSearch search(wanted, dialog->options());
        TextView& box = seams.txtMain;
        std::optional<TextSearch::Replaced> done;
        try {
            // The worker reads this copy, which no edit of the box reaches.
            const TextBuffer text = box.buffer();
            const qsizetype caret = box.selectionEnd();
            WindowHold hold(window, box);
            done = runLongTask(hold, QLatin1String("Replacing ") + wanted,
                               {text.size(), text.size()}, [&](LongTask& task) {
                                   return search.replaceAll(text, replacement, caret,
                                                            [&task](qsizetype scanned) {
                                                                task.setDone(scanned);
                                                                return !task.cancelled();
                                                            });
                               });
            if (done && !done->stopped && done->count > 0)
                box.replaceWhole(std::move(done->text), done->caret);
        } catch (const std::bad_alloc&) {
            ShowErrorReport(seams.messageBox, &window,
                            {FileError::OutOfMemory, QStringLiteral("Replace All"),
                             QStringLiteral("There is not enough memory to replace every "
                                            "match; the text is unchanged.")});
            return;
        }
        if (!done || done->stopped)
            report(QStringLiteral("Replace All cancelled"));
        else if (done->count == 0)
            report(QLatin1String("Not found: ") + wanted);
        else
            report(done->count == 1
                       ? QStringLiteral("Replaced 1 occurrence")
                       : QStringLiteral("Replaced %1 occurrences").arg(groupedNumber(done->count)));
    }

    void goToLine() {
        TextView& box = seams.txtMain;
        const TextBuffer& text = box.buffer();
        const std::optional<qsizetype> line =
            seams.askLine(text.lineCount(), text.lineOf(box.selectionEnd()));
        if (!line)
            return;
        const qsizetype start = text.lineStart(std::min(*line, text.lineCount() - 1));
        box.setSelection(start, start);
        box.ensureCursorVisible();
        window.activateWindow();
        box.setFocus();
    }

    const FindSeams seams;
    QMainWindow& window;
    FindPanel* panel = nullptr;
    QPointer<QDialog> shownDialog;
    QAction* replaceOne = nullptr;
    QAction* replaceEvery = nullptr;
    QList<QAction*> following;
    QString shown; // the last status this showed
};

} // namespace

void connectFindCommands(const FindSeams& seams) {
    new FindCommands(seams);
}
