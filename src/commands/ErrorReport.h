#pragma once

struct Failure;
class MessageBox;
class QWidget;

// ShowErrorReport: the file commands' report of a failure. Shows "Error ID: <number>", CR, the
// description, CR, and "Notavo has aborted this operation to prevent a fatal crash." in a box
// titled "Error" with OK and the critical icon. The source is not shown.
void ShowErrorReport(MessageBox& messageBox, QWidget* parent, const Failure& failure);
