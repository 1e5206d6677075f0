#pragma once
#include <cmath>
#include <limits>

// Converts a stored double to an integer type without undefined behaviour: truncates toward
// zero, NaN becomes 0, and ±infinity or values out of range become the type's bound.
template <typename Int>
constexpr Int saturatingCast(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    // max() of a 64-bit type is not exactly representable; its double rounds up to 2^63.
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (value <= lo)
        return std::numeric_limits<Int>::min();
    if (value >= hi)
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}
