#pragma once

#include <QString>

// The "mailto:" URL of a bug report. The fixed parts stay as they are; each text the user
// typed is percent-encoded (UTF-8, line breaks as CR LF) so that an "&", "#" or "?" in it
// cannot cut the URL or add header fields.
QString bugReportUrl(const QString& mailbox, const QString& reporter, const QString& errorId,
                     const QString& description);
