#include "landmarks/landmarks.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace sa {

namespace {

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
// closer than any grid step (2.4e-7 at 24 bits).
constexpr double narrowest_cell = 1e-12;

// Where f's slope changes sign between a and b, in order: a peak where it falls through 0,
// a valley where it rises, so that the two alternate. With |f''| at most its bound, the
// slope moves by at most bound * w over a width w, so a cell whose ends' slopes share a sign
// and add up to more than bound * w holds no zero of it and is passed over; any other cell is
// halved until it is narrow enough to stand for the point where the sign changes.
void add_sign_changes(const smooth_shape& f, const slope_at& a, const slope_at& b,
                      peaks_and_valleys& changes) {
    const double width = b.x - a.x;
    const bool one_sign = (a.slope > 0.0) == (b.slope > 0.0);
    if (one_sign &&
        std::fabs(a.slope) + std::fabs(b.slope) > f.curvature_bound * width + f.slope_error) {
        return;
    }
    if (width < narrowest_cell) {
        if (!one_sign) {
            (a.slope > b.slope ? changes.peaks : changes.valleys).push_back(a.x + width / 2.0);
        }
        return;
    }
    const double middle_x = a.x + width / 2.0;
    const slope_at middle{middle_x, f.slope(middle_x)};
    add_sign_changes(f, a, middle, changes);
    add_sign_changes(f, middle, b, changes);
}

// f's peaks and valleys on [x_min, x_max]: where its slope changes sign, and each end of the
// interval where f falls away from it, which is a peak too.
peaks_and_valleys peaks_and_valleys_of(const smooth_shape& f, double x_min, double x_max) {
    const slope_at low{x_min, f.slope(x_min)};
    const slope_at high{x_max, f.slope(x_max)};
    peaks_and_valleys shape;
    if (low.slope < 0.0) {
        shape.peaks.push_back(x_min);
    }
    add_sign_changes(f, low, high, shape);
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

// ---- The hills of a landscape known only by its grid's values

// A run of grid points of one value, first..last.
struct plateau {
    int first;
    int last;
    long double value;
};

plateau plateau_from(int first, const encoding& enc, const grid_value& value_at) {
    const long double value = value_at(first);
    int last = first;
    while (last < enc.d_max && value_at(last + 1) == value) {
        ++last;
    }
    return {first, last, value};
}

// Whether a plateau stands above what lies on either side of it; an end of the interval counts
// as lower.
bool is_peak(const std::optional<long double>& before, const plateau& current,
             const std::optional<plateau>& next) {
    return (!before || *before < current.value) && (!next || next->value < current.value);
}

// Ends the last hill at `valley`, and adds the hill whose top is the plateau `top` beyond it.
void add_hill(std::vector<hill>& hills, const plateau& top, int valley, const encoding& enc) {
    const bool first = hills.empty();
    if (!first) {
        hills.back().range.last = valley;
        hills.back().basin.last = valley;
    }
    const int middle = top.first + (top.last - top.first) / 2;
    hills.push_back({x_at(middle, enc),
                     static_cast<double>(top.value),
                     {first ? 0 : valley, enc.d_max},
                     {first ? 0 : valley + 1, enc.d_max}});
}

// Its hills, left to right: each peak is a plateau higher than the points on either side of
// it, its top the plateau's middle; between two peaks the valley is their lowest point (the
// first of a plateau), shared by both hills' ranges and the last of the left one's basin. One
// pass, keeping no more than two plateaus.
std::vector<hill> hills_on_grid(const encoding& enc, const grid_value& value_at) {
    std::vector<hill> hills;
    std::optional<long double> before;  // the value of the plateau before the current one
    plateau current = plateau_from(0, enc, value_at);
    int valley = 0;  // the lowest point since the last peak
    long double valley_value = current.value;
    for (;;) {
        const std::optional<plateau> next =
            current.last == enc.d_max
                ? std::nullopt
                : std::optional(plateau_from(current.last + 1, enc, value_at));
        if (current.value < valley_value) {
            valley = current.first;
            valley_value = current.value;
        }
        if (is_peak(before, current, next)) {
            add_hill(hills, current, valley, enc);
            valley = current.last;
            valley_value = current.value;
        }
        if (!next) {
            return hills;
        }
        before = current.value;
        current = *next;
    }
}

// Its hills, left to right, from the peaks and valleys of its smooth shape.
std::vector<hill> hills_of_shape(const smooth_shape& smooth, const encoding& enc,
                                 const grid_value& value_at) {
    std::vector<hill> hills;
    const peaks_and_valleys shape = peaks_and_valleys_of(smooth, enc.x_min, enc.x_max);
    // The grid's view of the valley left of the current peak; the interval's start at first.
    grid_valley left{-1, 0};
    for (std::size_t i = 0; i < shape.peaks.size(); ++i) {
        const grid_valley right = i < shape.valleys.size()
                                      ? valley_on_grid(shape.valleys[i], enc, value_at)
                                      : grid_valley{enc.d_max, enc.d_max};
        const bool on_grid = right.last_left > left.last_left;
        const double top = shape.peaks[i];
        const peak_range none{-1, -1};
        hills.push_back({top, smooth.value(top),
                         on_grid ? peak_range{left.shared, right.shared} : none,
                         on_grid ? peak_range{left.last_left + 1, right.last_left} : none});
        left = right;
    }
    return hills;
}

// The landmarks of a grid whose best point is `optimum`.
grid_landmarks landmarks_around(int optimum, const landscape& f, const encoding& enc,
                                const grid_value& value_at) {
    const std::vector<hill> hills = hills_of(f, enc, value_at);
    const auto range_of = [&hills](std::size_t rank) {
        return rank < hills.size() ? hills[rank].range : peak_range{-1, -1};
    };
    return {optimum,     x_at(optimum, enc), value_at(optimum),
            range_of(0), range_of(1),        hills.size() > 1};
}

// f at a grid point as the table holds it.
grid_value value_in(const tabulated_space& space) {
    return [&space](int d) { return space.value_at(d).unrounded(); };
}

}  // namespace

std::vector<hill> hills_of(const landscape& f, const encoding& enc, const grid_value& value_at) {
    const std::optional<smooth_shape> smooth = f.shape();
    std::vector<hill> hills =
        smooth ? hills_of_shape(*smooth, enc, value_at) : hills_on_grid(enc, value_at);
    std::stable_sort(hills.begin(), hills.end(),
                     [](const hill& a, const hill& b) { return rank_of(a) > rank_of(b); });
    return hills;
}

std::vector<hill> hills_of(const tabulated_space& space) {
    return hills_of(space.grid_landscape(), space.grid_encoding(), value_in(space));
}

grid_landmarks find_landmarks(const landscape& f, const encoding& enc, const grid_value& value_at) {
    int optimum = 0;
    long double optimum_value = value_at(0);
    for (int d = 1; d <= enc.d_max; ++d) {
        if (const long double value = value_at(d); value > optimum_value) {
            optimum = d;
            optimum_value = value;
        }
    }
    return landmarks_around(optimum, f, enc, value_at);
}

grid_landmarks find_landmarks(const tabulated_space& space) {
    const encoding& enc = space.grid_encoding();
    return landmarks_around(space.highest_in(0, enc.d_max), space.grid_landscape(), enc,
                            value_in(space));
}

grid_landmarks landmarks_of_grid(const landscape& f, int bits) {
    const encoding enc = f.grid(bits);
    return find_landmarks(f, enc, [&f, &enc](int d) { return f.value(x_at(d, enc)); });
}

const tabulated_grid& grid_cache::of(const landscape& f, int bits, const point_counter& count) {
    if (!grid_ || grid_->space.grid_landscape() != f ||
        grid_->space.grid_encoding().n_bits != bits) {
        grid_.reset();
        const auto start = std::chrono::steady_clock::now();
        tabulated_space space(f, f.grid(bits), jobs_, count);
        const grid_landmarks landmarks = find_landmarks(space);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        grid_ = std::make_unique<tabulated_grid>(
            tabulated_grid{std::move(space), landmarks, took.count()});
    }
    return *grid_;
}

}  // namespace sa
