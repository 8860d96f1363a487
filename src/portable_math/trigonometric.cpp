#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "portable_math/double_double.hpp"
#include "portable_math/portable_math.hpp"

namespace sa {

namespace {

using portable_math_detail::double_double;
using portable_math_detail::exact_product;
using portable_math_detail::exact_sum;

constexpr double quarter_pi = 0x1.921fb54442d18p-1;

// pi/2 in parts: the first four of at most 27 bits, so that k times each is exact while k is
// below 2^26; the fifth the rest to a double's precision (pi/2 to 2^-168 in all).
constexpr std::array<double, 5> half_pi_parts = {
    0x1.921fb54000000p+0,  0x1.10b4610000000p-30,  0x1.a626330000000p-58,
    0x1.45c06e0000000p-86, 0x1.cd129024e088ap-115,
};
constexpr double exact_quadrants = 0x1p26;

// x = k pi/2 + r, |r| up to pi/4 or a hair more, for x >= 0: r to twice a double's precision,
// as x near a multiple of pi/2 leaves r with few of x's bits; the quadrant is k mod 4.
struct reduced {
    double_double r;
    int quadrant;
};

reduced reduced_by_half_pi(double x) {
    if (x <= quarter_pi) {
        return {{x, 0.0}, 0};
    }
    constexpr double two_over_pi = 0x1.45f306dc9c883p-1;
    const double k = std::floor(x * two_over_pi + 0.5);
    // k pi/2 close to x: x less its first part is exact.
    double high = x - k * half_pi_parts[0];
    double low = 0.0;
    for (std::size_t part = 1; part + 1 < half_pi_parts.size(); ++part) {
        const double_double difference = exact_sum(high, -(k * half_pi_parts[part]));
        high = difference.high;
        low += difference.low;
    }
    low -= k * half_pi_parts.back();
    double_double r = exact_sum(high, low);
    if (k >= exact_quadrants) {
        // Products no longer exact: r is only near the truth, kept in range.
        r = {std::clamp(r.high, -quarter_pi, quarter_pi), 0.0};
    }
    const int quadrant = static_cast<int>(k - 4.0 * std::floor(0.25 * k));
    return {r, quadrant};
}

// The Taylor coefficients of sin or cos from r^first / first! on, every other power, their
// signs alternating: enough that the first left out is below 2^-60 of the value for |r| up to
// pi/4.
template <std::size_t count>
constexpr std::array<double, count> taylor_coefficients(int first) {
    std::array<double, count> coefficients{};
    double factorial = 1.0;
    for (int n = 2; n <= first; ++n) {
        factorial *= static_cast<double>(n);
    }
    double sign = (first / 2) % 2 == 0 ? 1.0 : -1.0;
    for (std::size_t n = 0; n < count; ++n) {
        coefficients[n] = sign / factorial;
        const int next = first + 2 * static_cast<int>(n);
        factorial *= static_cast<double>((next + 1) * (next + 2));
        sign = -sign;
    }
    return coefficients;
}
constexpr auto sine_coefficients = taylor_coefficients<9>(3);    // -1/3! to 1/19!
constexpr auto cosine_coefficients = taylor_coefficients<9>(4);  // 1/4! to 1/20!

template <std::size_t count>
double polynomial(const std::array<double, count>& coefficients, double z) {
    double sum = coefficients.back();
    for (std::size_t n = count - 1; n-- > 0;) {
        sum = sum * z + coefficients[n];
    }
    return sum;
}

// sin(r) for |r| up to pi/4, as r's high part and a small rest: sin h + l cos h.
double_double sine_of(double_double r) {
    const double z = r.high * r.high;
    const double tail = r.high * z * polynomial(sine_coefficients, z);
    return {r.high, tail + r.low * (1.0 - 0.5 * z)};
}

// cos(r) for |r| up to pi/4, as 1 - h^2/2 rounded and a small rest: cos h - l sin h, h^2
// exact, since its rounding would show in cos.
double_double cosine_of(double_double r) {
    const double_double square = exact_product(r.high, r.high);
    const double half = 0.5 * square.high;
    const double main = 1.0 - half;
    const double rounding = (1.0 - main) - half;
    const double tail = square.high * square.high * polynomial(cosine_coefficients, square.high);
    return {main, rounding + ((tail - 0.5 * square.low) - r.high * r.low)};
}

double_double negated(double_double value) {
    return {-value.high, -value.low};
}

// sin of the reduced angle in its quadrant, unrounded.
double_double sine_in_quadrant(const reduced& angle) {
    switch (angle.quadrant) {
        case 0:
            return sine_of(angle.r);
        case 1:
            return cosine_of(angle.r);
        case 2:
            return negated(sine_of(angle.r));
        default:
            return negated(cosine_of(angle.r));
    }
}

bool is_finite(double x) {
    return std::fabs(x) <= std::numeric_limits<double>::max();
}

double rounded(double_double value) {
    return value.high + value.low;
}

// a / b, a and b each to a little more than a double's precision: the quotient rounded, then
// corrected by what it leaves over.
double quotient(double_double a, double_double b) {
    const double q = rounded(a) / rounded(b);
    if (!is_finite(q)) {
        return q;
    }
    const double_double product = exact_product(q, b.high);
    const double remainder = (((a.high - product.high) - product.low) + a.low) - q * b.low;
    return q + remainder / rounded(b);
}

}  // namespace

double portable_sin(double x) {
    if (!is_finite(x)) {
        return x - x;  // NaN for NaN and the infinities
    }
    const double sine = rounded(sine_in_quadrant(reduced_by_half_pi(std::fabs(x))));
    return std::signbit(x) ? -sine : sine;
}

double portable_cos(double x) {
    if (!is_finite(x)) {
        return x - x;
    }
    reduced angle = reduced_by_half_pi(std::fabs(x));
    angle.quadrant = (angle.quadrant + 1) % 4;
    return rounded(sine_in_quadrant(angle));
}

double portable_tan(double x) {
    if (!is_finite(x)) {
        return x - x;
    }
    const reduced angle = reduced_by_half_pi(std::fabs(x));
    const double_double sine = sine_of(angle.r);
    const double_double cosine = cosine_of(angle.r);
    const double tangent =
        angle.quadrant % 2 == 0 ? quotient(sine, cosine) : -quotient(cosine, sine);
    return std::signbit(x) ? -tangent : tangent;
}

}  // namespace sa
