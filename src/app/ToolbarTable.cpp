#include "app/ToolbarTable.h"

namespace {
constexpr ToolbarButton buttons[] = {
    {"Save", "Save", "Save your file"},          {"Open", "Open", "Open a file"},
    {"New File", "NewFile", "Start a new file"}, {"Print", "Print", "Print your file"},
    {"Help", "Halp", "View help topics"},
};

struct KeyCommand {
    const char* key;
    const char* command;
};
constexpr KeyCommand dispatch[] = {
    {"Save", "mnuFileSave"},   {"Open", "mnuFileOpen"},       {"NewFile", "mnuFileNew"},
    {"Print", "mnuFilePrint"}, {"Halp", "mnuHelpHelpTopics"},
};
} // namespace

std::span<const ToolbarButton> toolbarButtons() {
    return buttons;
}

QString toolbarCommandFor(const QString& key) {
    for (const KeyCommand& entry : dispatch)
        if (key == QLatin1String(entry.key))
            return QLatin1String(entry.command);
    return {};
}
