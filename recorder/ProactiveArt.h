#pragma once
// The welcome window's pictures, drawn in code for the screen's pixel ratio: one tile per road, at
// rest (muted) and highlighted ("Up": lit, with a white symbol).

#include "recorder/ProactiveRules.h"

#include <QPixmap>

namespace recorder {

inline constexpr int kWelcomeImageSize = 88; // logical pixels, square

QPixmap welcomeImage(WelcomeRoad road, bool up, qreal devicePixelRatio);
// The road's own colour, behind its label while it is highlighted.
QColor welcomeAccent(WelcomeRoad road);

} // namespace recorder
