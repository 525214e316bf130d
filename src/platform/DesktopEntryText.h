#pragma once

#include <QString>
#include <optional>

// Text for freedesktop desktop entries and mimeapps.list files.
namespace DesktopEntryText {

// The file format's escaping of a string value: a backslash is doubled. Empty when the value
// holds a control character, which a value line cannot carry as it is.
std::optional<QString> escapeValue(const QString& value);

// Sets "mimeType=desktopId;" under [Default Applications] and puts desktopId first under
// [Added Associations] of a mimeapps.list text, keeping every other line as it was.
QString withDefaultApplication(const QString& mimeApps, const QString& mimeType,
                               const QString& desktopId);

} // namespace DesktopEntryText
