#include "app/MenuTable.h"

namespace {
constexpr MenuEntry table[] = {
    {MenuEntry::Menu, "mnuFile", "File", "", true},
    {MenuEntry::Item, "mnuFileNew", "&New", "Ctrl+N", true},
    {MenuEntry::Item, "mnuFileClear", "&Clear", "Ctrl+L", true},
    {MenuEntry::Item, "mnuFilePrint", "&Print", "Ctrl+P", true},
    {MenuEntry::Item, "mnuMinimizetotray", "&Minimize to tray", "", true},
    {MenuEntry::Menu, "mnuSave", "Save", "", true},
    {MenuEntry::Item, "mnuFileSave", "&Save", "Ctrl+S", true},
    {MenuEntry::Item, "mnuFileSaveas", "Save &As", "Ctrl+T", true},
    {MenuEntry::Item, "mnuFileSaveasCustom", "Save &Custom", "Ctrl+E", true},
    {MenuEntry::Menu, "mnuOpen", "Open", "", true},
    {MenuEntry::Item, "mnuFileOpen", "&Open", "Ctrl+O", true},
    {MenuEntry::Item, "mnuOpenCustom", "Open &Custom", "Ctrl+K", true},
    // Enabled while the document has a file to read again.
    {MenuEntry::Separator, "", "", "", true},
    {MenuEntry::Encodings, "mnuReopenEncoding", "&Reopen With Encoding", "", false},
    {MenuEntry::Menu, "mnuHelp", "Help", "", true},
    {MenuEntry::Item, "mnuHelpHelpTopics", "&Help Topics", "F1", true},
    {MenuEntry::Item, "mnuAbout", "&About", "F12", true},
    {MenuEntry::Item, "mnuHelpR_A_B", "&Report A Bug", "", true},
    {MenuEntry::Menu, "mnuEdit", "Edit", "", true},
    // Undo and Redo stay disabled; the editing box keeps its own Ctrl+Z and Ctrl+X.
    {MenuEntry::Item, "mnuEditUndo", "&Undo", "Ctrl+Z", false},
    {MenuEntry::Item, "mnuEditRedo", "&Redo", "Ctrl+X", false},
    // Enabled once there is a document to search (after New or Open).
    {MenuEntry::Separator, "", "", "", true},
    {MenuEntry::Item, "mnuEditFind", "&Find...", "Ctrl+F", false},
    {MenuEntry::Item, "mnuEditFindNext", "Find &Next", "F3", false},
    {MenuEntry::Item, "mnuEditFindPrevious", "Find &Previous", "Shift+F3", false},
    {MenuEntry::Item, "mnuEditReplace", "R&eplace...", "Ctrl+H", false},
    {MenuEntry::Item, "mnuEditGoToLine", "&Go To Line...", "Ctrl+G", false},
    {MenuEntry::Command, "mnuConvertFile", "Convert File", "", true},
    {MenuEntry::Menu, "mnuAppearance", "Appearance", "", true},
    {MenuEntry::Item, "mnuBackgroundCol", "&Background Colour", "", true},
    {MenuEntry::Item, "mnuFont", "&Font", "", true},
    {MenuEntry::Item, "mnuFontColour", "Font &Colour", "", true},
    {MenuEntry::Hidden, "mPopup", "Pop", "", true},
};
} // namespace

std::span<const MenuEntry> mainMenuTable() {
    return table;
}
