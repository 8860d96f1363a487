#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "acceptance/acceptance.hpp"

namespace sa {

namespace {

// 1 / n! for n from 0 to 13, the Taylor coefficients of exp.
constexpr std::array<double, 14> taylor_coefficients() {
    std::array<double, 14> coefficients{};
    double factorial = 1.0;
    for (std::size_t n = 0; n < coefficients.size(); ++n) {
        factorial *= n == 0 ? 1.0 : static_cast<double>(n);
        coefficients[n] = 1.0 / factorial;
    }
    return coefficients;
}
constexpr std::array<double, 14> inverse_factorials = taylor_coefficients();

}  // namespace

double portable_exp(double y) {
    if (!(y >= -708.0)) {
        return 0.0;
    }
    // y = k ln 2 + r with |r| <= ln 2 / 2 or so; ln 2 in two parts, the first short enough that
    // k times it is exact (fdlibm's split).
    constexpr double log2_e = 1.4426950408889634;
    constexpr double ln2_high = 0x1.62e42fee00000p-1;
    constexpr double ln2_low = 0x1.a39ef35793c76p-33;
    const double k = std::floor(y * log2_e + 0.5);
    const double r = (y - k * ln2_high) - k * ln2_low;
    double sum = inverse_factorials.back();
    for (std::size_t n = inverse_factorials.size() - 1; n-- > 0;) {
        sum = sum * r + inverse_factorials[n];
    }
    // 2^k, k from -1022 up, built from its exponent bits.
    const auto biased = static_cast<std::uint64_t>(static_cast<std::int64_t>(k) + 1023);
    return sum * std::bit_cast<double>(biased << 52U);
}

}  // namespace sa
