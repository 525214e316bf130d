#include "settings/SettingsCodec.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace SettingsCodec {

namespace {
template <typename Int> std::optional<Int> toWhole(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty())
        return std::nullopt;
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+')
        ++begin;
    Int value{};
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}
} // namespace

QString fromLong(std::int32_t value) {
    return QString::number(value);
}

std::optional<std::int32_t> toLong(const QString& text) {
    return toWhole<std::int32_t>(text);
}

std::optional<std::int16_t> toInteger(const QString& text) {
    return toWhole<std::int16_t>(text);
}

QString fromBool(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> toBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = toLong(t))
        return *number != 0;
    return std::nullopt;
}

QString fromSingle(float value) {
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, ptr - buffer);
}

std::optional<float> toSingle(const QString& text) {
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty() || (bytes.contains(',') && bytes.contains('.')))
        return std::nullopt;
    bytes.replace(',', '.');
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (*begin == '+')
        ++begin;
    float value{};
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace SettingsCodec
