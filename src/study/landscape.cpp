#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "objective/objective.hpp"
#include "study/study.hpp"

namespace sa {

namespace {

// ---- f as a smooth function: the sum of f_terms that objective() rounds at every step, here
// in double throughout. Its shape, not its rounded values, says where its hills are: near a flat
// top or valley the rounded values wiggle, and a climb over them stops anywhere.

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

// A bound on |f''|: sinc(t) is the mean of cos(pi t s) over s in [0, 1], so |sinc''| is at
// most the mean of (pi s)^2, pi^2 / 3, and each term adds weight * factor^2 times that.
double curvature_bound() {
    return pi * pi / 3.0 * sum_over_terms([](const sinc_term& term) {
               return term.weight * term.factor * term.factor;
           });
}

struct slope_at {
    double x;
    double slope;
};

// f's peaks along the interval, and the valley between each two.
struct peaks_and_valleys {
    std::vector<double> peaks;
    std::vector<double> valleys;  // valleys[i] lies between peaks[i] and peaks[i + 1]
};

// Cells narrower than this are not halved: a peak or valley in one is placed within 1e-12, far
// closer than any grid step (2.4e-7 at 24 bits), where f differs from its extreme by < 1e-21.
constexpr double narrowest_cell = 1e-12;
// What the slope, summed in double from four terms below 10, may be off by, with room to spare.
constexpr double slope_error = 1e-12;

// Where f's slope changes sign between a and b, in order: a peak where it falls through 0,
// a valley where it rises, so that the two alternate. With |f''| at most `bound`, the
// slope moves by at most bound * w over a width w, so a cell whose ends' slopes share a sign
// and add up to more than bound * w holds no zero of it and is passed over; any other cell is
// halved until it is narrow enough to stand for the point where the sign changes.
void add_sign_changes(const slope_at& a, const slope_at& b, double bound,
                      peaks_and_valleys& changes) {
    const double width = b.x - a.x;
    const bool one_sign = (a.slope > 0.0) == (b.slope > 0.0);
    if (one_sign && std::fabs(a.slope) + std::fabs(b.slope) > bound * width + slope_error) {
        return;
    }
    if (width < narrowest_cell) {
        if (!one_sign) {
            (a.slope > b.slope ? changes.peaks : changes.valleys).push_back(a.x + width / 2.0);
        }
        return;
    }
    const double middle_x = a.x + width / 2.0;
    const slope_at middle{middle_x, slope_of_f(middle_x)};
    add_sign_changes(a, middle, bound, changes);
    add_sign_changes(middle, b, bound, changes);
}

// f's peaks and valleys on [x_min, x_max]: where its slope changes sign, and each end of the
// interval where f falls away from it, which is a peak too.
peaks_and_valleys shape_of_f(double x_min, double x_max) {
    const slope_at low{x_min, slope_of_f(x_min)};
    const slope_at high{x_max, slope_of_f(x_max)};
    peaks_and_valleys shape;
    if (low.slope < 0.0) {
        shape.peaks.push_back(x_min);
    }
    add_sign_changes(low, high, curvature_bound(), shape);
    if (high.slope > 0.0) {
        shape.peaks.push_back(x_max);
    }
    return shape;
}

// ---- The hills on a grid

// The last grid point at or left of x, which lies inside the interval.
int last_point_up_to(double x, const encoding& enc) {
    const auto at_or_left = [&enc, x](int d) {
        return decoded_to_x(d, enc) <= static_cast<long double>(x);
    };
    const double span = static_cast<double>(enc.x_max) - enc.x_min;
    int d = std::clamp(static_cast<int>((x - enc.x_min) / span * enc.d_max), 0, enc.d_max);
    while (d < enc.d_max && at_or_left(d + 1)) {
        ++d;
    }
    while (d > 0 && !at_or_left(d)) {
        --d;
    }
    return d;
}

// A valley of f as the grid sees it: the last point in the basin on its left, and the point
// two hills share there, the lower of that one and the next.
struct grid_valley {
    int last_left;
    int shared;
};

grid_valley valley_on_grid(double x, const encoding& enc, const grid_value& value_at) {
    const int left = last_point_up_to(x, enc);
    return {left, value_at(left + 1) < value_at(left) ? left + 1 : left};
}

// Peaks whose heights agree to 1e-9 rank left first: both ends of the interval stand at 0.4,
// where the last bits of sin would decide.
long long rank_of(const hill& h) {
    return std::llround(h.top_value * 1e9);
}

// The landmarks of a grid whose best point is `optimum`.
grid_landmarks landmarks_around(int optimum, const encoding& enc, const grid_value& value_at) {
    const std::vector<hill> hills = hills_of(enc, value_at);
    const auto range_of = [&hills](std::size_t rank) {
        return rank < hills.size() ? hills[rank].range : peak_range{-1, -1};
    };
    return {optimum, x_at(optimum, enc), value_at(optimum), range_of(0), range_of(1)};
}

// f at a grid point as the table holds it.
grid_value value_in(const tabulated_space& space) {
    return [&space](int d) { return space.value_at(d).unrounded(); };
}

}  // namespace

std::vector<hill> hills_of(const encoding& enc, const grid_value& value_at) {
    const peaks_and_valleys shape = shape_of_f(enc.x_min, enc.x_max);
    std::vector<hill> hills;
    // The grid's view of the valley left of the current peak; the interval's start at first.
    grid_valley left{-1, 0};
    for (std::size_t i = 0; i < shape.peaks.size(); ++i) {
        const grid_valley right = i < shape.valleys.size()
                                      ? valley_on_grid(shape.valleys[i], enc, value_at)
                                      : grid_valley{enc.d_max, enc.d_max};
        const bool on_grid = right.last_left > left.last_left;
        const double top = shape.peaks[i];
        const peak_range none{-1, -1};
        hills.push_back({top, smooth_f(top), on_grid ? peak_range{left.shared, right.shared} : none,
                         on_grid ? peak_range{left.last_left + 1, right.last_left} : none});
        left = right;
    }
    std::stable_sort(hills.begin(), hills.end(),
                     [](const hill& a, const hill& b) { return rank_of(a) > rank_of(b); });
    return hills;
}

std::vector<hill> hills_of(const tabulated_space& space) {
    return hills_of(space.grid_encoding(), value_in(space));
}

grid_landmarks find_landmarks(const encoding& enc, const grid_value& value_at) {
    int optimum = 0;
    long double optimum_value = value_at(0);
    for (int d = 1; d <= enc.d_max; ++d) {
        if (const long double value = value_at(d); value > optimum_value) {
            optimum = d;
            optimum_value = value;
        }
    }
    return landmarks_around(optimum, enc, value_at);
}

grid_landmarks find_landmarks(const tabulated_space& space) {
    const encoding& enc = space.grid_encoding();
    return landmarks_around(space.highest_in(0, enc.d_max), enc, value_in(space));
}

grid_landmarks landmarks_of_grid(int bits) {
    const encoding enc = study_encoding(bits);
    return find_landmarks(enc, [&enc](int d) { return objective(x_at(d, enc)); });
}

const tabulated_grid& grid_cache::of(int bits, const point_counter& count) {
    if (!grid_ || grid_->space.grid_encoding().n_bits != bits) {
        grid_.reset();
        const auto start = std::chrono::steady_clock::now();
        tabulated_space space(study_encoding(bits), jobs_, count);
        const grid_landmarks landmarks = find_landmarks(space);
        grid_ = std::make_unique<tabulated_grid>(
            tabulated_grid{std::move(space), landmarks, seconds_since(start)});
    }
    return *grid_;
}

}  // namespace sa
