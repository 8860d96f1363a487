#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

// The 80-bit extended format, on every target. Every step the program takes between its
// stored floats and doubles is rounded to a 64-bit significand, as the x87 unit of x86-64
// rounds it, so that every target prints the same numbers.

namespace sa {

// `value` rounded to a 64-bit significand, to nearest with ties to even. Where long double is
// the 80-bit format this is the value itself. Where it is IEEE quad (WebAssembly), a product of
// two doubles is exact there, and rounding it once gives the 80-bit result; a sum or a
// quotient is rounded to 113 bits first, which can differ from a single rounding only when that
// lands exactly on a midpoint between 64-bit values.
inline long double extended(long double value) {
#if LDBL_MANT_DIG == 64
    return value;
#elif LDBL_MANT_DIG == 113
    // On the bits, since quad arithmetic is done in software there: rounding through frexp,
    // ldexp and nearbyint made a study four times slower. Both formats have 15 exponent bits,
    // so dropping the 49 fraction bits below the 64-bit significand gives the 80-bit value for
    // subnormal numbers too, and a carry out of the fraction steps the exponent up.
    struct quad_bits {
        std::uint64_t low;  // little-endian: fraction bits 0..63
        std::uint64_t high;
    } bits{};
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    constexpr std::uint64_t exponent_mask = 0x7FFF'0000'0000'0000U;
    if ((bits.high & exponent_mask) == exponent_mask) {
        return value;  // infinite or not a number
    }
    constexpr std::uint64_t dropped = (std::uint64_t{1} << 49U) - 1;
    constexpr std::uint64_t half = std::uint64_t{1} << 48U;
    const std::uint64_t rest = bits.low & dropped;
    bits.low &= ~dropped;
    const bool odd = (bits.low & (dropped + 1)) != 0;
    if (rest > half || (rest == half && odd)) {
        bits.low += dropped + 1;
        bits.high += static_cast<std::uint64_t>(bits.low == 0);
    }
    std::memcpy(&value, &bits, sizeof bits);
    return value;
#else
#error "long double is neither the 80-bit format nor IEEE quad"
#endif
}

// 0.0001 as the 80-bit format holds it, the step between uniform draws.
inline constexpr long double extended_ten_thousandth = 0xd.1b71758e219652cp-17L;

}  // namespace sa
