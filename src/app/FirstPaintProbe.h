#pragma once

class QWidget;

// For the start-up benchmark: once the window has painted for the first time, prints the
// wall-clock time (nanoseconds since the epoch) on standard output and ends the program.
void quitAfterFirstPaint(QWidget* window);
