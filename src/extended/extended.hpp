#pragma once

#include <cfloat>
#include <cmath>

// The 80-bit extended format, on every target. Every step the program takes between its
// stored floats and doubles is rounded to a 64-bit significand, as the x87 unit of x86-64
// rounds it, so that every target prints the same numbers.

namespace sa {

// `value` rounded to a 64-bit significand, to nearest with ties to even. Where long double is
// the 80-bit format this is the value itself. Where it is wider (IEEE quad in WebAssembly),
// a product of two doubles is exact there, and rounding it once gives the 80-bit result; a
// sum or a quotient is rounded to 113 bits first, which can differ from a single rounding
// only when that lands exactly on a midpoint between 64-bit values.
inline long double extended(long double value) {
#if LDBL_MANT_DIG == 64
    return value;
#else
    if (value == 0.0L || !std::isfinite(value)) {
        return value;
    }
    int exponent = 0;
    const long double significand = std::frexp(value, &exponent);
    return std::ldexp(std::nearbyint(std::ldexp(significand, 64)), exponent - 64);
#endif
}

// 0.0001 as the 80-bit format holds it, the step between uniform draws.
inline constexpr long double extended_ten_thousandth = 0xd.1b71758e219652cp-17L;

}  // namespace sa
