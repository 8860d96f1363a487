#include <cmath>
#include <limits>

#include "annealing/annealing.hpp"
#include "objective/objective.hpp"

namespace sa {

namespace {

long double uniform_at(int step, double a, double b) {
    return (step * 0.0001L) * (static_cast<long double>(b) - a) + a;
}

// The largest y with exp(y) == 0, by bisection between an exponent whose exp underflows and
// one whose exp does not.
double largest_underflowing_exponent() {
    double zero = -800.0;
    double positive = -700.0;
    for (;;) {
        const double middle = zero + (positive - zero) / 2.0;
        if (middle <= zero || middle >= positive) {
            return zero;
        }
        (std::exp(middle) > 0.0 ? positive : zero) = middle;
    }
}

// The largest y with exp(y) <= r. exp grows with y, so exp(y) > r exactly when y lies above
// it. Searched from log(r) one double at a time, where exp's own rounding decides.
double largest_rejected_exponent(double r) {
    if (r == 0.0) {
        return largest_underflowing_exponent();
    }
    constexpr double down = -std::numeric_limits<double>::infinity();
    constexpr double up = std::numeric_limits<double>::infinity();
    double y = std::log(r);
    while (std::exp(y) > r) {
        y = std::nextafter(y, down);
    }
    while (std::exp(std::nextafter(y, up)) <= r) {
        y = std::nextafter(y, up);
    }
    return y;
}

}  // namespace

long double random_uniform(random_engine& engine, double a, double b) {
    if (a == b) {
        return a;
    }
    return uniform_at(uniform_step(engine), a, b);
}

search_space::search_space(const encoding& enc) : enc_(enc) {}

search_space search_space::tabulated(const encoding& enc) {
    search_space space(enc);
    const auto points = static_cast<std::size_t>(enc.d_max) + 1;
    space.rounded_.resize(points);
    space.exact_.resize(points);
    for (int d = 0; d <= enc.d_max; ++d) {
        const point_value value = space.evaluate(d);
        space.rounded_[static_cast<std::size_t>(d)] = value.rounded();
        space.exact_[static_cast<std::size_t>(d)] = value.exact();
    }
    space.threshold_.resize(uniform_steps);
    for (int step = 0; step < uniform_steps; ++step) {
        const auto r = static_cast<double>(uniform_at(step, 0.0, 1.0));
        space.threshold_[static_cast<std::size_t>(step)] = largest_rejected_exponent(r);
    }
    return space;
}

float search_space::x_at(int d) const {
    return static_cast<float>(decoded_to_x(d, enc_));
}

point_value search_space::evaluate(int d) const {
    return point_value(objective(x_at(d)));
}

bool search_space::accepts_by_exp(float delta, double temperature, random_engine& engine) {
    const auto r = static_cast<double>(random_uniform(engine, 0.0, 1.0));
    return std::exp(exponent(delta, temperature)) > r;
}

}  // namespace sa
