#pragma once
// Colours as the programs store them: 0x00BBGGRR (red in the low byte, blue in the third), the
// layout of every stored and quoted colour value. The one conversion to and from QColor.
//
// Also how legible one colour is on another: the luminance contrast ratio of two sRGB colours
// (1 for equal luminance, 21 for black on white), and the defaults a control derives from a
// preferred colour so that its text or edge stays readable on the fill it is drawn on.

#include <QColor>

#include <cstdint>

namespace platform {

QColor colorFromRef(uint32_t bbggrr);
uint32_t colorToRef(const QColor& color);

// The smallest contrast ratio at which text reads well, and at which a line or edge stands out
// from what it borders.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kEdgeContrast = 3.0;

// Relative luminance of an opaque sRGB colour, 0 (black) to 1 (white).
double relativeLuminance(const QColor& color);
// (lighter + 0.05) / (darker + 0.05) of the two luminances, 1 to 21, in either order.
double contrastRatio(const QColor& a, const QColor& b);
// preferred itself when it reaches minimumRatio on background; otherwise the colour nearest to
// preferred on the way from it to black or to white (whichever contrasts more with background)
// that reaches the ratio, or that extreme when even it does not.
QColor legibleColor(const QColor& preferred, const QColor& background, double minimumRatio);

} // namespace platform
