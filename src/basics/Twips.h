#pragma once

// Layout sizes are given in twips; at 96 dpi one logical pixel is 15 twips and Qt scales
// logical pixels for high-dpi screens.
constexpr int twips(int value) {
    return (value + 7) / 15;
}
