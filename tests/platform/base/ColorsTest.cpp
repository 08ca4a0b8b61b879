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

TEST(Colors, ContrastRatioOfKnownPairs)
{
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {QColor(255, 255, 255), QColor(0, 0, 0), 21.0},
        {QColor(0, 0, 0), QColor(255, 255, 255), 21.0},
        {QColor(0x77, 0x77, 0x77), QColor(255, 255, 255), 4.478},
        {QColor(0x76, 0x76, 0x76), QColor(255, 255, 255), 4.542},
        {QColor(0, 0, 255), QColor(255, 255, 255), 8.592},
        {QColor(12, 34, 56), QColor(12, 34, 56), 1.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(platform::contrastRatio(c.a, c.b), c.ratio, 0.001)
            << c.a.name().toStdString() << " on " << c.b.name().toStdString();
    EXPECT_DOUBLE_EQ(platform::relativeLuminance(QColor(0, 0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(platform::relativeLuminance(QColor(255, 255, 255)), 1.0);
}

// A preferred colour that reads well is kept; one that does not moves toward black or white just far
// enough (the expected colours were found by walking the same way one step at a time).
TEST(Colors, LegibleColorMovesThePreferredColourJustFarEnough)
{
    const struct {
        const char* name;
        QColor preferred, background;
        double minimum;
        QColor legible;
    } cases[] = {
        {"already legible", QColor(255, 255, 255), QColor(0, 0, 0), 4.5, QColor(255, 255, 255)},
        {"white text on a light button", QColor(255, 255, 255), QColor(0xEF, 0xEF, 0xEF), 4.5,
         QColor(0x6C, 0x6C, 0x6C)},
        {"black edge on black", QColor(0, 0, 0), QColor(0, 0, 0), 3.0, QColor(0x5A, 0x5A, 0x5A)},
        {"black edge on a dark blue-grey: past the background", QColor(0, 0, 0), QColor(0x1B, 0x20, 0x27), 3.0,
         QColor(0x6A, 0x6A, 0x6A)},
        {"blue text on dark grey keeps its hue", QColor(0, 0, 255), QColor(0x20, 0x20, 0x20), 4.5,
         QColor(0x76, 0x76, 0xFF)},
        {"out of reach: the better extreme", QColor(255, 255, 255), QColor(0x77, 0x77, 0x77), 21.0, QColor(0, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QColor legible = platform::legibleColor(c.preferred, c.background, c.minimum);
        EXPECT_EQ(legible, c.legible) << legible.name().toStdString();
        if (c.minimum <= 4.5) {
            EXPECT_GE(platform::contrastRatio(legible, c.background), c.minimum);
        }
    }
}
