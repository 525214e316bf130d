#pragma once

#include <QString>
#include <span>

struct ToolbarButton {
    const char* caption;
    const char* key;
    const char* tooltip;
};

// The five toolbar buttons, left to right.
std::span<const ToolbarButton> toolbarButtons();

// The menu entry whose command a toolbar key starts: the key is compared exactly and
// case-sensitively; a key that matches none gives an empty name.
QString toolbarCommandFor(const QString& key);
