#include "objective/objective.hpp"

#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;

// factor * x + offset, formed without intermediate rounding and rounded once to single.
float sinc_argument(float x, float factor, float offset) {
    return static_cast<float>(static_cast<long double>(factor) * x + offset);
}

}  // namespace

float sinc(float t) {
    if (t == 0.0F) {
        return 1.0F;
    }
    // sin receives t * pi rounded to double; the divisor keeps the extended product.
    const long double sine = std::sin(static_cast<double>(static_cast<long double>(t) * pi));
    return static_cast<float>(sine / (static_cast<long double>(t) * pi));
}

long double objective(float x) {
    // Each partial sum is rounded to double; the last one is returned unrounded.
    double sum = static_cast<double>(static_cast<long double>(sinc(sinc_argument(x, 4.0F, 0.0F))) +
                                     static_cast<long double>(0.4));
    sum = static_cast<double>(static_cast<long double>(sinc(sinc_argument(x, 4.0F, 2.0F))) * 1.1 +
                              sum);
    sum = static_cast<double>(static_cast<long double>(sinc(sinc_argument(x, 6.0F, -2.0F))) * 0.8 +
                              sum);
    return static_cast<long double>(sinc(sinc_argument(x, 6.0F, -4.0F))) * 0.7 + sum;
}
