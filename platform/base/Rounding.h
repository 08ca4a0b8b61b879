#pragma once
// Rounding to the nearest integer with halves to even, the one rounding rule of the suite. Never use
// qRound, std::round or lround for it: they round halves away from zero.

#include <cstdint>

namespace platform {

// Nearest integer, halves to even. The value must fit in 64 bits.
int64_t roundHalfEven(double value);

// numerator / denominator rounded to the nearest integer, halves to even, in exact integer
// arithmetic (denominator > 0). Use it for conversions such as milliseconds to frames, where a
// floating-point quotient can land just beside a tie.
int64_t divRoundHalfEven(int64_t numerator, int64_t denominator);

} // namespace platform
