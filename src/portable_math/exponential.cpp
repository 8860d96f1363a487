#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "portable_math/double_double.hpp"
#include "portable_math/portable_math.hpp"

namespace sa {

namespace {

using portable_math_detail::double_double;
using portable_math_detail::exact_product;
using portable_math_detail::exact_sum;

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// ---- exp

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

// 2^k for k from -1022 to 1023, built from its exponent bits.
double power_of_two(double k) {
    const auto biased = static_cast<std::uint64_t>(static_cast<std::int64_t>(k) + 1023);
    return std::bit_cast<double>(biased << 52U);
}

// value 2^k for k from -1100 to 1100, rounded once: to inf above the doubles, into the
// subnormals below the normal ones.
double scaled(double value, double k) {
    if (k > 1023.0) {
        return value * power_of_two(k - 64.0) * 0x1p64;
    }
    if (k < -1022.0) {
        return value * power_of_two(k + 64.0) * 0x1p-64;
    }
    return value * power_of_two(k);
}

// e^(high + low), |low| tiny beside high, high from -746 to 710: y = k ln 2 + r with |r| about
// ln 2 / 2 at most; ln 2 in two parts, the first short enough that k times it is exact.
double exp_of(double high, double low) {
    constexpr double log2_e = 1.4426950408889634;
    constexpr double ln2_high = 0x1.62e42fee00000p-1;
    constexpr double ln2_low = 0x1.a39ef35793c76p-33;
    const double k = std::floor(high * log2_e + 0.5);
    const double r = ((high - k * ln2_high) - k * ln2_low) + low;
    double sum = inverse_factorials.back();
    for (std::size_t n = inverse_factorials.size() - 1; n-- > 0;) {
        sum = sum * r + inverse_factorials[n];
    }
    return scaled(sum, k);
}

// ---- log

// ln 2 in two parts, the first short enough that the exponent times it is exact.
constexpr double_double ln2 = {0x1.62e42fefa3800p-1, 0x1.ef35793c76730p-45};
constexpr double_double two_thirds = {0x1.5555555555555p-1, 0x1.5555555555555p-55};

// 1/5, 1/7, ... 1/29: the rest of atanh's series, 2s^5 (1/5 + s^2/7 + ...), for |s| up to
// 0.172, to a double's precision.
constexpr std::array<double, 13> atanh_coefficients() {
    std::array<double, 13> coefficients{};
    for (std::size_t n = 0; n < coefficients.size(); ++n) {
        coefficients[n] = 1.0 / static_cast<double>(5 + 2 * n);
    }
    return coefficients;
}
constexpr std::array<double, 13> odd_reciprocals = atanh_coefficients();

// s = f / (2 + f) to twice a double's precision.
double_double atanh_argument(double f) {
    const double_double divisor = exact_sum(2.0, f);
    const double s = f / divisor.high;
    const double_double product = exact_product(s, divisor.high);
    const double remainder = ((f - product.high) - product.low) - s * divisor.low;
    return {s, remainder / divisor.high};
}

// ln(1 + f) for 1 + f from sqrt(1/2) to sqrt(2): 2 atanh(s), s = f / (2 + f), at most 0.172:
// 2s + 2s^3 / 3 + 2s^5 (1/5 + s^2/7 + ...), the first two terms to twice a double's precision.
double_double log_near_one(double f) {
    const double_double s = atanh_argument(f);
    const double square = s.high * s.high;
    double series = odd_reciprocals.back();
    for (std::size_t n = odd_reciprocals.size() - 1; n-- > 0;) {
        series = series * square + odd_reciprocals[n];
    }
    const double fifth_and_beyond = 2.0 * square * square * s.high * series;
    const double_double cubic = s * s * s * two_thirds;
    return double_double{2.0 * s.high, 2.0 * s.low} + cubic + double_double{fifth_and_beyond, 0.0};
}

// ln x for x positive and finite, to twice a double's precision (about 2^-64 relative): x =
// m 2^e with m from sqrt(1/2) to sqrt(2), e ln 2 + ln m.
double_double log_parts(double x) {
    int exponent = 0;
    double m = std::frexp(x, &exponent);
    if (m < 0x1.6a09e667f3bcdp-1) {
        m *= 2.0;
        --exponent;
    }
    const auto power = static_cast<double>(exponent);
    const double_double power_ln2{power * ln2.high, power * ln2.low};
    return power_ln2 + log_near_one(m - 1.0);
}

// ---- pow

bool is_integer(double y) {
    return y == std::floor(y);
}

bool is_odd(double y) {
    return std::fabs(y) < 0x1p53 && is_integer(y) && 0.5 * y != std::floor(0.5 * y);
}

// x^n for n from 1 to 1024, by squaring, to twice a double's precision.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): x^n, in that order
double_double integer_power(double x, std::uint32_t n) {
    double_double power{1.0, 0.0};
    double_double square{x, 0.0};
    for (std::uint32_t left = n; left != 0; left >>= 1U) {
        if ((left & 1U) != 0) {
            power = power * square;
        }
        if (left > 1) {
            square = square * square;
        }
    }
    return power;
}

// Whether x^y goes by squaring, x from 2^(e-1) to 2^e: y an integer up to 1024, and every
// power on the way between 2^-900 and 2^900, where the double-double products stay exact.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): y, then x's exponent
bool by_squaring(double y, int e) {
    const auto widest = static_cast<double>(std::max(std::abs(e), std::abs(e - 1)));
    return is_integer(y) && std::fabs(y) <= 1024.0 && std::fabs(y) * widest <= 900.0;
}

// 1 / (high + low), rounded once more after a correction: exact when the quotient is a double.
double reciprocal(double_double value) {
    const double quotient = 1.0 / value.high;
    const double_double product = exact_product(quotient, value.high);
    const double remainder = ((1.0 - product.high) - product.low) - quotient * value.low;
    return quotient + quotient * remainder;
}

// x^y = e^(y ln x) for ln x not 0, y finite: y ln x to twice a double's precision, since its
// rounding error would be x^y's relative error.
double power_by_log(double y, double_double log_x) {
    const double rough = y * log_x.high;
    if (rough > 710.0) {
        return infinity;
    }
    if (rough < -746.0) {
        return 0.0;
    }
    const double_double product = exact_product(y, log_x.high);
    const double_double exponent = exact_sum(product.high, product.low + y * log_x.low);
    return exp_of(exponent.high, exponent.low);
}

// x^y for x from 0 to inf and y neither NaN nor 0.
double power_of_magnitude(double x, double y) {
    if (x == 1.0) {
        return 1.0;
    }
    if (x == 0.0 || x == infinity) {
        return (y > 0.0) == (x == infinity) ? infinity : 0.0;
    }
    if (std::fabs(y) == infinity) {
        return (y > 0.0) == (x > 1.0) ? infinity : 0.0;
    }
    int e = 0;
    std::frexp(x, &e);
    if (by_squaring(y, e)) {
        const double_double power = integer_power(x, static_cast<std::uint32_t>(std::fabs(y)));
        return y > 0.0 ? power.high : reciprocal(power);
    }
    return power_by_log(y, log_parts(x));
}

}  // namespace

double portable_exp(double y) {
    if (std::isnan(y)) {
        return y;
    }
    if (y > 709.8) {
        return infinity;
    }
    if (y < -746.0) {
        return 0.0;
    }
    return exp_of(y, 0.0);
}

double portable_log(double x) {
    if (std::isnan(x) || x == infinity) {
        return x;
    }
    if (x < 0.0) {
        return not_a_number;
    }
    if (x == 0.0) {
        return -infinity;
    }
    return log_parts(x).high;
}

double portable_pow(double base, double exponent) {
    if (exponent == 0.0 || base == 1.0) {
        return 1.0;
    }
    if (std::isnan(base) || std::isnan(exponent)) {
        return not_a_number;
    }
    if (base < 0.0 && !is_integer(exponent)) {
        return not_a_number;
    }
    const double magnitude = power_of_magnitude(std::fabs(base), exponent);
    return std::signbit(base) && is_odd(exponent) ? -magnitude : magnitude;
}

}  // namespace sa
