#pragma once

#include <QString>

class MessageBox;
class QWidget;

// Saves that a kill or a crash cut off in the middle of writing a file in place (the file may
// hold a mix of new and old bytes): the user is asked whether to put the earlier content back.
// Yes puts it back byte for byte; No leaves the file as it is and says where the copy lies.
// Either way the save is not asked about again.

// At start-up, every one found.
void offerInterruptedSaves(MessageBox& messageBox, QWidget* parent);
// Before the file at path is opened, its own, if any.
void offerInterruptedSave(MessageBox& messageBox, QWidget* parent, const QString& path);
