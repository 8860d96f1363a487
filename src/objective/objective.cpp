#include "objective/objective.hpp"

#include <cmath>

#include "extended/extended.hpp"

namespace sa {

namespace {

constexpr double pi = 3.141592653589793;

// factor * x (+ offset), formed in extended precision and rounded once to single.
float sinc_argument(float x, float factor) {
    return static_cast<float>(extended(static_cast<long double>(factor) * x));
}
float sinc_argument(float x, float factor, float offset) {
    return static_cast<float>(extended(extended(static_cast<long double>(factor) * x) +
                                       static_cast<long double>(offset)));
}

// t * pi in extended precision.
long double pi_times(float t) {
    return extended(static_cast<long double>(t) * pi);
}

// sin(pi t), with t * pi rounded to double for sin.
double sine_of_pi_times(float t) {
    return t == 0.0F ? 0.0 : std::sin(static_cast<double>(pi_times(t)));
}

// sinc(t) from sin(pi t): the divisor is t * pi formed again, unrounded.
float sinc_from_sine(float t, double sine) {
    return t == 0.0F ? 1.0F
                     : static_cast<float>(extended(static_cast<long double>(sine) / pi_times(t)));
}

// weight * sinc + sum, each step in extended precision.
long double weighted_sum(float sinc, double weight, double sum) {
    return extended(extended(static_cast<long double>(sinc) * weight) +
                    static_cast<long double>(sum));
}

}  // namespace

float sinc(float t) {
    return sinc_from_sine(t, sine_of_pi_times(t));
}

long double objective(float x) {
    const float t1 = sinc_argument(x, 4.0F);
    const float t2 = sinc_argument(x, 4.0F, 2.0F);
    const float t3 = sinc_argument(x, 6.0F, -2.0F);
    const float t4 = sinc_argument(x, 6.0F, -4.0F);
    // All four sines come before any quotient, so the slow extended divisions overlap
    // the later sines instead of waiting between them.
    const double sine1 = sine_of_pi_times(t1);
    const double sine2 = sine_of_pi_times(t2);
    const double sine3 = sine_of_pi_times(t3);
    const double sine4 = sine_of_pi_times(t4);

    // Each partial sum is rounded to double; the last one is returned unrounded.
    auto sum = static_cast<double>(extended(static_cast<long double>(sinc_from_sine(t1, sine1)) +
                                            static_cast<long double>(0.4)));
    sum = static_cast<double>(weighted_sum(sinc_from_sine(t2, sine2), 1.1, sum));
    sum = static_cast<double>(weighted_sum(sinc_from_sine(t3, sine3), 0.8, sum));
    return weighted_sum(sinc_from_sine(t4, sine4), 0.7, sum);
}

split_value split(long double f) {
    const auto single = static_cast<float>(f);
    return {single, static_cast<double>(extended(f - single))};
}

}  // namespace sa
