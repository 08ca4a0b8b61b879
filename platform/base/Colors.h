#pragma once
// Colours as the programs store them: 0x00BBGGRR (red in the low byte, blue in the third), the
// layout of every stored and quoted colour value. The one conversion to and from QColor.

#include <QColor>

#include <cstdint>

namespace platform {

QColor colorFromRef(uint32_t bbggrr);
uint32_t colorToRef(const QColor& color);

} // namespace platform
