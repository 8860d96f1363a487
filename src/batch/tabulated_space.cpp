#include <cmath>
#include <limits>

#include "batch/batch.hpp"
#include "objective/objective.hpp"

namespace sa {

namespace {

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
// this. exp(log(r)) never exceeds r for any of the draws, so the search starts there and
// steps up one double at a time, where exp's own rounding decides.
double least_accepted_exponent(double r) {
    constexpr double up = std::numeric_limits<double>::infinity();
    if (r == 0.0) {
        return std::nextafter(largest_underflowing_exponent(), up);
    }
    double y = std::log(r);
    while (std::exp(y) <= r) {
        y = std::nextafter(y, up);
    }
    return y;
}

// f split into two doubles. The high part is f rounded to double, moved one step towards f
// where that lands on a midpoint between floats and would round to the wrong float; the low
// part, a few bits below the high one's last, is then exact (for any f above 2^-960).
split_value split(long double f) {
    const auto rounded = static_cast<float>(f);
    auto high = static_cast<double>(f);
    if (static_cast<float>(high) != rounded) {
        high = std::nextafter(high, static_cast<double>(rounded));
    }
    return {high, static_cast<double>(extended(f - high))};
}

// Points tabulated between two counts: a few milliseconds of work.
constexpr int points_between_counts = 1 << 16;

}  // namespace

tabulated_space::tabulated_space(const encoding& enc, const point_counter& count) : enc_(enc) {
    values_.reserve(static_cast<std::size_t>(enc.d_max) + 1);
    for (int d = 0; d <= enc.d_max; ++d) {
        values_.push_back(split(objective(x_at(d))));
        if (count && (d + 1) % points_between_counts == 0) {
            count(points_between_counts);
        }
    }
    if (const int rest = (enc.d_max + 1) % points_between_counts; count && rest > 0) {
        count(rest);
    }
    thresholds_.reserve(uniform_grid_points);
    for (int point = 0; point < uniform_grid_points; ++point) {
        const double least =
            least_accepted_exponent(static_cast<double>(uniform_value(point, 0.0, 1.0)));
        thresholds_.push_back({least, std::nextafter(least, -HUGE_VAL)});
    }
}

}  // namespace sa
