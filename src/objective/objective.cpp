// The demo's f as the program evaluates it: every step in the 80-bit format, each sinc rounded
// to single precision and each partial sum to double, the last left in extended precision.

#include "objective/objective.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "extended/extended.hpp"

namespace sa {

namespace {

using std::numbers::pi;

// factor * x + offset, formed in extended precision and rounded once to single. An offset of
// 0 is not added: that changes at most the sign of a zero, whose sinc is 1 either way.
float sinc_argument(float x, const sinc_term& term) {
    const long double product = extended(static_cast<long double>(term.factor) * x);
    return static_cast<float>(
        term.offset == 0.0F ? product : extended(product + static_cast<long double>(term.offset)));
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

// sinc times the term's weight, plus sum, each step in extended precision; a weight of 1
// multiplies by nothing.
long double weighted_sum(float sinc, const sinc_term& term, double sum) {
    const long double product = term.weight == 1.0
                                    ? static_cast<long double>(sinc)
                                    : extended(static_cast<long double>(sinc) * term.weight);
    return extended(product + static_cast<long double>(sum));
}

}  // namespace

float sinc(float t) {
    return sinc_from_sine(t, sine_of_pi_times(t));
}

long double objective(float x) {
    // All the sines come before any quotient, so that the slow extended divisions overlap the
    // later sines instead of waiting between them.
    std::array<float, f_terms.size()> t{};
    std::array<double, f_terms.size()> sine{};
#pragma GCC unroll 4
    for (std::size_t i = 0; i < f_terms.size(); ++i) {
        t[i] = sinc_argument(x, f_terms[i]);
    }
#pragma GCC unroll 4
    for (std::size_t i = 0; i < f_terms.size(); ++i) {
        sine[i] = sine_of_pi_times(t[i]);
    }
    // Each partial sum is rounded to double; the last one is returned unrounded.
    double sum = f_base;
#pragma GCC unroll 4
    for (std::size_t i = 0; i + 1 < f_terms.size(); ++i) {
        sum = static_cast<double>(weighted_sum(sinc_from_sine(t[i], sine[i]), f_terms[i], sum));
    }
    return weighted_sum(sinc_from_sine(t.back(), sine.back()), f_terms.back(), sum);
}

split_value split(long double f) {
    const auto single = static_cast<float>(f);
    return {single, static_cast<double>(extended(f - single))};
}

}  // namespace sa
