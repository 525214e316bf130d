#pragma once

#include <functional>

class QWidget;

// What Help Topics, About and Report A Bug open: each makes its window when none is open.
struct HelpSeams {
    // Holds the three menu entries.
    QWidget& window;
    std::function<QWidget*()> helpTopics;
    std::function<QWidget*()> about;
    std::function<QWidget*()> reportBug;
};

// Wires Help Topics, About and Report A Bug to their menu entries.
void connectHelpCommands(const HelpSeams& seams);
