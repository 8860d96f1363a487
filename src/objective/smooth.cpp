// f as a smooth function: the sum of f_terms that objective() rounds at every step, here in
// double throughout. Its shape, not its rounded values, says where its hills are: near a flat
// top or valley the rounded values wiggle, and a climb over them stops anywhere.

#include <cmath>
#include <numbers>
#include <numeric>

#include "objective/objective.hpp"

namespace sa {

namespace {

using std::numbers::pi;

double smooth_sinc(double t) {
    return t == 0.0 ? 1.0 : std::sin(pi * t) / (pi * t);
}

// The slope of sinc, (cos(pi t) - sinc(t)) / t; near 0, where that difference cancels, its
// series -(pi^2 t / 3) (1 - pi^2 t^2 / 10), whose next term is below 1e-12 of it there.
double sinc_slope(double t) {
    if (std::fabs(t) < 1e-3) {
        return -(pi * pi * t / 3.0) * (1.0 - pi * pi * t * t / 10.0);
    }
    return (std::cos(pi * t) - smooth_sinc(t)) / t;
}

// The sum over f's terms of what `each` gives for one.
template <typename Each>
double sum_over_terms(const Each& each) {
    return std::accumulate(f_terms.begin(), f_terms.end(), 0.0,
                           [&each](double sum, const sinc_term& term) { return sum + each(term); });
}

}  // namespace

double smooth_f(double x) {
    return f_base + sum_over_terms([x](const sinc_term& term) {
               return term.weight * smooth_sinc(term.factor * x + term.offset);
           });
}

double slope_of_f(double x) {
    return sum_over_terms([x](const sinc_term& term) {
        return term.weight * term.factor * sinc_slope(term.factor * x + term.offset);
    });
}

// sinc(t) is the mean of cos(pi t s) over s in [0, 1], so |sinc''| is at most the mean of
// (pi s)^2, pi^2 / 3, and each term adds weight * factor^2 times that.
double curvature_bound_of_f() {
    return pi * pi / 3.0 * sum_over_terms([](const sinc_term& term) {
               return term.weight * term.factor * term.factor;
           });
}

}  // namespace sa
