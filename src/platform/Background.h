#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// Fills a control with one colour. A check box would fill with its button colour: every control
// fills with its window colour instead.
inline void paintBackground(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setBackgroundRole(QPalette::Window);
    control->setAutoFillBackground(true);
}
