#include "platform/base/Colors.h"

namespace platform {

QColor colorFromRef(uint32_t bbggrr)
{
    return QColor(int(bbggrr & 0xFF), int((bbggrr >> 8) & 0xFF), int((bbggrr >> 16) & 0xFF));
}

uint32_t colorToRef(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return uint32_t(rgb.red()) | uint32_t(rgb.green()) << 8 | uint32_t(rgb.blue()) << 16;
}

} // namespace platform
