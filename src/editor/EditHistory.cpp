#include "editor/EditHistory.h"

#include "text/TextBuffer.h"

#include <iterator>
#include <utility>

void EditHistory::reset(qsizetype length, qsizetype lineBreaks) {
    undoSteps.clear();
    redoSteps.clear();
    ids.clear();
    // The document stores a paragraph mark first, then the text, then one more mark for each
    // line break: so typing at the end of a text of one line continues its store.
    if (length > 0)
        ids.push_back({length, 1});
    nextId = 1 + length + lineBreaks;
}

void EditHistory::record(const TextEdit& edit, Kind kind) {
    redoSteps.clear();
    std::vector<Run> removedIds = takeIds(edit.position, edit.removed.size());
    const qint64 insertedId = nextId;
    if (!edit.inserted.isEmpty()) {
        putIds(edit.position, {{edit.inserted.size(), insertedId}});
        // Text typed or inserted is stored whole, then a paragraph mark for each line break.
        nextId += edit.inserted.size() + (kind == Kind::Paste ? 0 : edit.inserted.count(u'\n'));
    }
    if (kind != Kind::Single) {
        undoSteps.push_back({edit, std::move(removedIds), insertedId, true});
        return;
    }
    if (!edit.inserted.isEmpty()) {
        if (!joinInsertion(edit, insertedId))
            undoSteps.push_back({edit, {}, insertedId, false});
        return;
    }
    // The document removes what was stored apart in separate steps, one for each run.
    qsizetype offset = 0;
    for (const Run& run : removedIds) {
        const TextEdit part{edit.position, edit.removed.mid(offset, run.length), QString()};
        offset += run.length;
        if (!joinRemoval(part, run))
            undoSteps.push_back({part, {run}, 0, false});
    }
}

bool EditHistory::joinInsertion(const TextEdit& edit, qint64 id) {
    if (undoSteps.empty() || edit.inserted.contains(u'\n'))
        return false;
    // The step before ends with an insertion (typed, pasted or put over a selection) that this
    // one continues in the text and in the store.
    Step& last = undoSteps.back();
    const qsizetype length = last.edit.inserted.size();
    if (length == 0 || last.edit.inserted.endsWith(u'\n') ||
        last.edit.position + length != edit.position || last.insertedId + length != id)
        return false;
    last.edit.inserted += edit.inserted;
    return true;
}

bool EditHistory::joinRemoval(const TextEdit& edit, const Run& run) {
    if (undoSteps.empty() || edit.removed.contains(u'\n'))
        return false;
    Step& last = undoSteps.back();
    if (last.compound || !last.edit.inserted.isEmpty() || last.edit.removed.contains(u'\n'))
        return false;
    Run& before = last.removedIds.front();
    if (last.edit.position == edit.position && before.id + before.length == run.id) {
        // Delete, again.
        last.edit.removed += edit.removed;
        before.length += run.length;
        return true;
    }
    if (edit.position + edit.removed.size() == last.edit.position &&
        run.id + run.length == before.id) {
        // Backspace, again.
        last.edit.position = edit.position;
        last.edit.removed.prepend(edit.removed);
        before = {before.length + run.length, run.id};
        return true;
    }
    return false;
}

void EditHistory::recordWhole(const TextBuffer& before, qsizetype caretBefore,
                              const TextBuffer& after, qsizetype caretAfter) {
    redoSteps.clear();
    Step step;
    step.compound = true;
    step.edit.position = caretAfter;
    step.edit.whole = std::make_shared<const TextBuffer>(after);
    step.other = std::make_shared<const TextBuffer>(before);
    step.otherCaret = caretBefore;
    // The new text is stored as if inserted whole.
    step.otherIds = std::exchange(ids, {});
    if (!after.isEmpty())
        ids.push_back({after.size(), nextId});
    nextId += after.size() + after.lineCount() - 1;
    undoSteps.push_back(std::move(step));
}

TextEdit EditHistory::swapWhole(Step& step) {
    std::swap(step.edit.whole, step.other);
    std::swap(step.edit.position, step.otherCaret);
    std::swap(ids, step.otherIds);
    return {step.edit.position, QString(), QString(), step.edit.whole};
}

void EditHistory::joinLastTwo() {
    if (undoSteps.size() >= 2)
        undoSteps.back().withPrevious = true;
}

TextEdit EditHistory::undo() {
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    if (step.other) {
        const TextEdit back = swapWhole(step);
        redoSteps.push_back(std::move(step));
        return back;
    }
    takeIds(step.edit.position, step.edit.inserted.size());
    putIds(step.edit.position, step.removedIds);
    TextEdit back{step.edit.position, step.edit.inserted, step.edit.removed};
    redoSteps.push_back(std::move(step));
    return back;
}

TextEdit EditHistory::redo() {
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    if (step.other) {
        const TextEdit again = swapWhole(step);
        undoSteps.push_back(std::move(step));
        return again;
    }
    takeIds(step.edit.position, step.edit.removed.size());
    if (!step.edit.inserted.isEmpty())
        putIds(step.edit.position, {{step.edit.inserted.size(), step.insertedId}});
    TextEdit again = step.edit;
    undoSteps.push_back(std::move(step));
    return again;
}

std::vector<EditHistory::Run>::iterator EditHistory::splitAt(qsizetype position) {
    auto run = ids.begin();
    qsizetype start = 0; // where *run starts in the text
    while (run != ids.end() && start + run->length <= position) {
        start += run->length;
        ++run;
    }
    if (run != ids.end() && start < position) {
        const qsizetype head = position - start;
        const Run tail{run->length - head, run->id + head};
        run->length = head;
        run = ids.insert(std::next(run), tail);
    }
    return run;
}

std::vector<EditHistory::Run> EditHistory::takeIds(qsizetype position, qsizetype length) {
    std::vector<Run> taken;
    if (length <= 0)
        return taken;
    auto run = splitAt(position);
    auto first = run;
    qsizetype left = length;
    while (run != ids.end() && left > 0) {
        if (run->length > left) {
            taken.push_back({left, run->id});
            run->id += left;
            run->length -= left;
            left = 0;
            break;
        }
        taken.push_back(*run);
        left -= run->length;
        ++run;
    }
    ids.erase(first, run);
    return taken;
}

void EditHistory::putIds(qsizetype position, const std::vector<Run>& runs) {
    if (runs.empty())
        return;
    auto run = ids.insert(splitAt(position), runs.begin(), runs.end());
    // Runs that continue one another in the store become one again, keeping the list short.
    auto merge = [this](std::vector<Run>::iterator at) {
        if (at == ids.begin() || at == ids.end())
            return at;
        auto before = std::prev(at);
        if (before->id + before->length != at->id)
            return at;
        before->length += at->length;
        return ids.erase(at);
    };
    merge(run + qsizetype(runs.size()));
    merge(run);
}
