#include "portable_math/portable_math.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

namespace sa {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// How far value lies from the exact one, in units of the last place of the double nearest
// exact: 0.5 at most for a correctly rounded value.
double ulps_from(double value, long double exact) {
    const auto rounded = static_cast<double>(exact);
    if (std::isinf(rounded) || std::isnan(value)) {
        return value == rounded ? 0.0 : inf;
    }
    int exponent = 0;
    std::frexp(rounded, &exponent);
    const int last_place = rounded == 0.0 ? -1074 : std::max(exponent - 53, -1074);
    return static_cast<double>(std::fabs(static_cast<long double>(value) - exact) /
                               std::ldexp(1.0L, last_place));
}

double uniform(std::mt19937_64& engine, double low, double high) {
    const double unit = static_cast<double>(engine() >> 11U) * 0x1p-53;
    return low + (high - low) * unit;
}

// A magnitude spread evenly over the decades from 10^low to 10^high.
double decades(std::mt19937_64& engine, double low, double high) {
    return std::pow(10.0, uniform(engine, low, high));
}

double either_sign(std::mt19937_64& engine, double magnitude) {
    return (engine() & 1U) != 0 ? -magnitude : magnitude;
}

using arguments = std::pair<double, double>;  // x, and pow's exponent

// Each function against the long double library's (64-bit significand on x86-64) at many
// seeded points of the range a formula meets, in units of the last place of the true value.
TEST(PortableMath, WithinItsBoundOfTheLongDoubleLibrary) {
    const struct {
        const char* name;
        arguments (*draw)(std::mt19937_64&);
        double (*portable)(double, double);
        long double (*exact)(long double, long double);
        double bound;
    } cases[] = {
        {"exp",
         [](auto& g) {
             return arguments{uniform(g, -745.2, 709.78), 0.0};
         },
         [](double y, double) { return portable_exp(y); },
         [](long double y, long double) { return std::exp(y); }, 1.2},
        {"log, every positive double",
         [](auto& g) {
             return arguments{std::bit_cast<double>((g() >> 1U) % 0x7ff0000000000000U), 0.0};
         },
         [](double x, double) { return portable_log(x); },
         [](long double x, long double) { return std::log(x); }, 0.51},
        {"log near 1",
         [](auto& g) {
             return arguments{uniform(g, 0.5, 2.0), 0.0};
         },
         [](double x, double) { return portable_log(x); },
         [](long double x, long double) { return std::log(x); }, 0.51},
        {"sin",
         [](auto& g) {
             return arguments{either_sign(g, decades(g, -3.0, 8.0)), 0.0};
         },
         [](double x, double) { return portable_sin(x); },
         [](long double x, long double) { return std::sin(x); }, 0.8},
        {"cos",
         [](auto& g) {
             return arguments{either_sign(g, decades(g, -3.0, 8.0)), 0.0};
         },
         [](double x, double) { return portable_cos(x); },
         [](long double x, long double) { return std::cos(x); }, 0.8},
        {"tan",
         [](auto& g) {
             return arguments{either_sign(g, decades(g, -3.0, 8.0)), 0.0};
         },
         [](double x, double) { return portable_tan(x); },
         [](long double x, long double) { return std::tan(x); }, 1.0},
        {"pow",
         [](auto& g) {
             return arguments{decades(g, -3.0, 3.0), uniform(g, -40.0, 40.0)};
         },
         portable_pow, [](long double x, long double y) { return std::pow(x, y); }, 1.35},
        {"pow over all of exp's range",
         [](auto& g) {
             const double x = decades(g, -300.0, 300.0);
             return arguments{x, uniform(g, -745.2, 709.78) / std::log(x)};
         },
         portable_pow, [](long double x, long double y) { return std::pow(x, y); }, 1.35},
        {"pow to integers",
         [](auto& g) {
             return arguments{either_sign(g, decades(g, -1.0, 1.0)),
                              std::floor(uniform(g, -30, 31))};
         },
         portable_pow, [](long double x, long double y) { return std::pow(x, y); }, 0.51},
    };
    for (const auto& c : cases) {
        std::mt19937_64 engine(20240611);
        double worst = 0.0;
        arguments worst_at{};
        for (int i = 0; i < 200'000; ++i) {
            const arguments at = c.draw(engine);
            const double error =
                ulps_from(c.portable(at.first, at.second), c.exact(at.first, at.second));
            if (error > worst) {
                worst = error;
                worst_at = at;
            }
        }
        EXPECT_LE(worst, c.bound) << c.name << " at " << worst_at.first << ", " << worst_at.second;
    }
}

bool same(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Infinities, NaN, zeros with their signs, the ends of exp's range, and powers that are
// doubles exactly.
TEST(PortableMath, SpecialValuesAreStdsToTheBit) {
    const struct {
        const char* what;
        double value;
        double expected;
    } cases[] = {
        {"exp(0)", portable_exp(0.0), 1.0},
        {"exp(nan)", portable_exp(nan), nan},
        {"exp(inf)", portable_exp(inf), inf},
        {"exp(-inf)", portable_exp(-inf), 0.0},
        {"exp(709.79)", portable_exp(709.79), inf},
        {"exp(-745)", portable_exp(-745.0), 0x1p-1074},
        {"exp(-746)", portable_exp(-746.0), 0.0},
        {"log(1)", portable_log(1.0), 0.0},
        {"log(0)", portable_log(0.0), -inf},
        {"log(-0)", portable_log(-0.0), -inf},
        {"log(-1)", portable_log(-1.0), nan},
        {"log(-inf)", portable_log(-inf), nan},
        {"log(inf)", portable_log(inf), inf},
        {"log(nan)", portable_log(nan), nan},
        {"sin(-0)", portable_sin(-0.0), -0.0},
        {"sin(inf)", portable_sin(inf), nan},
        {"sin(nan)", portable_sin(nan), nan},
        {"cos(0)", portable_cos(0.0), 1.0},
        {"cos(-inf)", portable_cos(-inf), nan},
        {"tan(-0)", portable_tan(-0.0), -0.0},
        {"tan(inf)", portable_tan(inf), nan},
        {"2^10", portable_pow(2.0, 10.0), 1024.0},
        {"10^2", portable_pow(10.0, 2.0), 100.0},
        {"10^22", portable_pow(10.0, 22.0), 1e22},
        {"10^23", portable_pow(10.0, 23.0), 1e23},
        {"10^-2", portable_pow(10.0, -2.0), 0.01},
        {"3^33", portable_pow(3.0, 33.0), 5559060566555523.0},
        {"(-2)^3", portable_pow(-2.0, 3.0), -8.0},
        {"(-2)^2", portable_pow(-2.0, 2.0), 4.0},
        {"(-2)^0.5", portable_pow(-2.0, 0.5), nan},
        {"4^0.5", portable_pow(4.0, 0.5), 2.0},
        {"2^-1074", portable_pow(2.0, -1074.0), 0x1p-1074},
        {"2^1024", portable_pow(2.0, 1024.0), inf},
        {"0^0", portable_pow(0.0, 0.0), 1.0},
        {"nan^0", portable_pow(nan, 0.0), 1.0},
        {"1^nan", portable_pow(1.0, nan), 1.0},
        {"2^nan", portable_pow(2.0, nan), nan},
        {"0^2", portable_pow(0.0, 2.0), 0.0},
        {"0^-1", portable_pow(0.0, -1.0), inf},
        {"(-0)^-1", portable_pow(-0.0, -1.0), -inf},
        {"(-0)^0.5", portable_pow(-0.0, 0.5), 0.0},
        {"(-inf)^-3", portable_pow(-inf, -3.0), -0.0},
        {"0.5^inf", portable_pow(0.5, inf), 0.0},
        {"(-1)^inf", portable_pow(-1.0, inf), 1.0},
        {"2^-inf", portable_pow(2.0, -inf), 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(same(c.value, c.expected)) << c.what << " = " << c.value;
    }
    // Beyond the exact reduction, still a sine and a cosine.
    for (const double x : {1e9, 1e15, 1e22, 1e300, std::numeric_limits<double>::max()}) {
        EXPECT_LE(std::fabs(portable_sin(x)), 1.0) << x;
        EXPECT_LE(std::fabs(portable_cos(x)), 1.0) << x;
        EXPECT_FALSE(std::isnan(portable_tan(x))) << x;
    }
}

}  // namespace
}  // namespace sa
