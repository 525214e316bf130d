#pragma once

#include <span>

// The main window's menus in order. A Menu opens a submenu on the menu bar, an Item (or a
// Separator) belongs to the last Menu before it, a Command stands on the menu bar by itself, and
// a Hidden menu never shows on the bar (the tray's pop-up). An Encodings submenu ends the last
// Menu, one entry per encoding a document can be read in. An Item's caption marks its access
// letter with "&" (shown underlined, unique within its menu); a Menu's is its first letter.
struct MenuEntry {
    enum Kind { Menu, Item, Separator, Command, Hidden, Encodings };
    Kind kind;
    const char* name;
    const char* caption;
    const char* shortcut; // empty: none
    bool enabled;
};

std::span<const MenuEntry> mainMenuTable();
