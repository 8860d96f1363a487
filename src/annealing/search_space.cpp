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

// The least y with exp(y) > r. exp grows with y, so exp(y) > r exactly when y is at least
// this. Searched from log(r) one double at a time, where exp's own rounding decides.
double least_accepted_exponent(double r) {
    constexpr double down = -std::numeric_limits<double>::infinity();
    constexpr double up = std::numeric_limits<double>::infinity();
    if (r == 0.0) {
        return std::nextafter(largest_underflowing_exponent(), up);
    }
    double y = std::log(r);
    while (std::exp(y) <= r) {
        y = std::nextafter(y, up);
    }
    while (std::exp(std::nextafter(y, down)) > r) {
        y = std::nextafter(y, down);
    }
    return y;
}

// f split into two doubles. The high part is f rounded to double, moved one step towards f
// where that lands on a midpoint between floats and would round to the wrong float; the low
// part, a few bits below the high one's last, is then exact (for any f above 2^-960).
split_value split(long double exact) {
    const auto rounded = static_cast<float>(exact);
    auto high = static_cast<double>(exact);
    if (static_cast<float>(high) != rounded) {
        high = std::nextafter(high, static_cast<double>(rounded));
    }
    return {high, static_cast<double>(exact - high)};
}

}  // namespace

long double random_uniform(random_engine& engine, double a, double b) {
    if (a == b) {
        return a;
    }
    return uniform_at(uniform_step(engine), a, b);
}

solution random_solution(const encoding& enc, random_engine& engine) {
    solution fresh{bit_vector(static_cast<std::size_t>(enc.n_bits))};
    fill_random_bits(fresh.bits, engine);
    const auto x = static_cast<float>(bits_to_x(fresh.bits, enc));
    fresh.fo = static_cast<float>(objective(x));
    return fresh;
}

search_space::search_space(const encoding& enc) : enc_(enc) {}

search_space search_space::tabulated(const encoding& enc) {
    search_space space(enc);
    space.values_.reserve(static_cast<std::size_t>(enc.d_max) + 1);
    for (int d = 0; d <= enc.d_max; ++d) {
        space.values_.push_back(split(space.evaluate(d).exact()));
    }
    space.thresholds_.reserve(uniform_steps);
    for (int step = 0; step < uniform_steps; ++step) {
        const auto r = static_cast<double>(uniform_at(step, 0.0, 1.0));
        space.thresholds_.push_back(least_accepted_exponent(r));
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
    return std::exp(acceptance_exponent(delta, temperature)) > r;
}

}  // namespace sa
