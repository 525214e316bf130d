#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Text forms of stored settings. Writers always produce the same text whatever the locale;
// readers accept what a person could reasonably have typed and answer nullopt otherwise, so that
// the caller's default applies.
namespace SettingsCodec {

QString fromLong(std::int32_t value);
std::optional<std::int32_t> toLong(const QString& text);
std::optional<std::int16_t> toInteger(const QString& text);

QString fromBool(bool value); // "True" or "False"
std::optional<bool> toBool(const QString& text);

// Single-precision numbers: shortest text that reads back to the same float, "." as separator.
QString fromSingle(float value);
std::optional<float> toSingle(const QString& text); // accepts "." or "," as separator

} // namespace SettingsCodec
