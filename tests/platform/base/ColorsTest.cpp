#include "platform/base/Colors.h"

#include <gtest/gtest.h>

using platform::colorFromRef;
using platform::colorToRef;

TEST(Colors, StoredValuesHoldRedInTheLowByte)
{
    const struct {
        uint32_t ref;
        QColor color;
    } cases[] = {
        {0x0000FF, QColor(255, 0, 0)},   {0xFF0000, QColor(0, 0, 255)}, {0x008000, QColor(0, 128, 0)},
        {0x123456, QColor(0x56, 0x34, 0x12)}, {0xFFFFFF, QColor(255, 255, 255)}, {0x000000, QColor(0, 0, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colorFromRef(c.ref), c.color) << std::hex << c.ref;
        EXPECT_EQ(colorToRef(c.color), c.ref) << std::hex << c.ref;
    }
    // The unused top byte is ignored on the way in.
    EXPECT_EQ(colorFromRef(0xAA0000FF), QColor(255, 0, 0));
}
