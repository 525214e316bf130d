#pragma once

#include <QColor>
#include <cstdint>

// Colours are stored as 0x00BBGGRR (red in the low byte), the form the settings keep.
inline std::int32_t colourValue(const QColor& colour) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(colour.blue()) << 16) |
                                     (static_cast<std::uint32_t>(colour.green()) << 8) |
                                     static_cast<std::uint32_t>(colour.red()));
}

inline QColor colourFromValue(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline constexpr std::int32_t DesignedBackground = 8438015; // red 255, green 192, blue 128
