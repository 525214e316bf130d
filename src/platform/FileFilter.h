#pragma once

#include <QString>
#include <QStringList>

// Turns a "description|pattern|description|pattern" filter into Qt's name filters, for a dialog
// with QFileDialog::HideNameFilterDetails: each becomes "description (patterns)", so that Qt
// shows the description exactly as the command wrote it and reads the patterns from the last
// brackets. "*.*" becomes "*": it means every file, also one without an extension, where Qt
// would ask for a dot.
QStringList qtNameFilters(const QString& filter);
