#include "platform/base/Rounding.h"

#include <cfenv>
#include <cmath>

namespace platform {

int64_t roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode; make sure it is the default, to-nearest-even.
    const int previous = std::fegetround();
    if (previous != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    if (previous != FE_TONEAREST)
        std::fesetround(previous);
    return int64_t(r);
}

int64_t divRoundHalfEven(int64_t numerator, int64_t denominator)
{
    int64_t q = numerator / denominator; // truncates toward zero
    int64_t r = numerator % denominator;
    if (r == 0)
        return q;
    const bool negative = (numerator < 0);
    if (negative)
        r = -r;
    const int64_t twice = 2 * r;
    if (twice > denominator || (twice == denominator && (q % 2 != 0)))
        q += negative ? -1 : 1;
    return q;
}

} // namespace platform
