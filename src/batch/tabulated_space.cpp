#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

#include "batch/batch.hpp"
#include "processor/processor.hpp"

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

// Points tabulated at a time: their x and values stay in the first-level cache, and a grid of
// 24 bits gives every thread thousands of blocks to share.
constexpr std::size_t block_size = 4096;

// The threshold of every uniform draw, found once for all grids.
const std::vector<acceptance_threshold>& acceptance_thresholds() {
    static const std::vector<acceptance_threshold> thresholds = [] {
        std::vector<acceptance_threshold> found;
        found.reserve(uniform_grid_points);
        for (int point = 0; point < uniform_grid_points; ++point) {
            const double least =
                least_accepted_exponent(static_cast<double>(uniform_value(point, 0.0, 1.0)));
            found.push_back({least, std::nextafter(least, -HUGE_VAL)});
        }
        return found;
    }();
    return thresholds;
}

// An array of n values, not written yet.
template <typename T>
std::unique_ptr<T[]> unwritten(std::size_t n) {     // NOLINT(modernize-avoid-c-arrays)
    return std::make_unique_for_overwrite<T[]>(n);  // NOLINT(modernize-avoid-c-arrays)
}

std::size_t blocks_of(const encoding& enc) {
    return (static_cast<std::size_t>(enc.d_max) + block_size) / block_size;
}

// Points tabulated between two counts: a few milliseconds of work.
constexpr std::int64_t points_between_counts = 1 << 16;

}  // namespace

grid_x::grid_x(const encoding& enc)
    : enc_(enc),
      // The width of floats apart, in double, and its product with every d below 2^29 are exact
      // when the width has no more bits than a float.
      in_double_(
          static_cast<double>(static_cast<float>(static_cast<double>(enc.x_min) - enc.x_max)) ==
              static_cast<double>(enc.x_min) - enc.x_max &&
          static_cast<long double>(static_cast<double>(enc.x_min) - enc.x_max) ==
              extended(static_cast<long double>(enc.x_min) - enc.x_max) &&
          enc.n_bits < 29),
      line_{enc.x_min, static_cast<double>(enc.x_min) - enc.x_max, 1.0 / enc.d_max} {}

void grid_x::form_in_double(const line& grid, int first, int count, float* x,
                            std::uint32_t* certain) {
    for (int i = 0; i < count; ++i) {
        certain[i] = formed_in_double(grid, first + i, x[i]);
    }
}

void grid_x::fill(int first, std::span<float> x) const {
    std::array<std::uint32_t, block_size> certain{};
    float* const out = x.data();
    const line grid = line_;
    const auto count = static_cast<int>(x.size());
    // Four points at a time where the processor has AVX2.
    with_widest_vectors(
        [&](auto /*lanes*/) { form_in_double(grid, first, count, out, certain.data()); });
    for (int i = 0; i < count; ++i) {
        if (certain[static_cast<std::size_t>(i)] == 0 || !in_double_) [[unlikely]] {
            out[i] = sa::x_at(first + i, enc_);
        }
    }
}

tabulated_space::tabulated_space(landscape f, const encoding& enc, [[maybe_unused]] int jobs,
                                 const point_counter& count)
    : f_(std::move(f)),
      enc_(enc),
      x_(enc),
      rounded_(unwritten<float>(static_cast<std::size_t>(enc.d_max) + 1)),
      rest_(unwritten<double>(static_cast<std::size_t>(enc.d_max) + 1)),
      block_highest_(blocks_of(enc)),
      thresholds_(&acceptance_thresholds()) {
    const auto blocks = static_cast<long>(block_highest_.size());
    // The threads share only the count of points done; the calling thread tells it.
    std::atomic<std::int64_t> done = 0;
    std::int64_t told = 0;
#pragma omp parallel for num_threads(jobs) schedule(dynamic)
    for (long block = 0; block < blocks; ++block) {
        const std::int64_t now = done += tabulate_block(static_cast<std::size_t>(block));
        if (count && on_first_thread() && now - told >= points_between_counts) {
            count(now - told);
            told = now;
        }
    }
    if (count && done > told) {
        count(done - told);
    }
}

std::int64_t tabulated_space::tabulate_block(std::size_t block) {
    const std::size_t first = block * block_size;
    const std::size_t count =
        std::min(block_size, static_cast<std::size_t>(enc_.d_max) + 1 - first);
    std::array<float, block_size> x{};
    x_.fill(static_cast<int>(first), std::span(x).first(count));
    f_.tabulate(std::span(x).first(count), std::span(rounded_.get() + first, count),
                std::span(rest_.get() + first, count));
    int highest = static_cast<int>(first);
    for (auto d = static_cast<int>(first) + 1; d < static_cast<int>(first + count); ++d) {
        highest = higher(d, highest) ? d : highest;
    }
    block_highest_[block] = highest;
    return static_cast<std::int64_t>(count);
}

// f is higher at a than at b. The rounded value never falls as f rises, so it decides unless
// the two are equal, and then the rests do.
bool tabulated_space::higher(int a, int b) const {
    const float rounded_a = rounded_at(a);
    const float rounded_b = rounded_at(b);
    return rounded_a > rounded_b || (rounded_a == rounded_b && rest_[index(a)] > rest_[index(b)]);
}

int tabulated_space::highest_in(int first, int last) const {
    int highest = first;
    int d = first;
    // Point by point to the first whole block, block by block to the last, then point by point.
    const auto whole_blocks_from = [](int point) {
        return (static_cast<std::size_t>(point) + block_size - 1) / block_size;
    };
    const std::size_t first_block = whole_blocks_from(first);
    const std::size_t end_block = (static_cast<std::size_t>(last) + 1) / block_size;
    if (first_block < end_block) {
        for (; d < static_cast<int>(first_block * block_size); ++d) {
            highest = higher(d, highest) ? d : highest;
        }
        for (std::size_t block = first_block; block < end_block; ++block) {
            const int top = block_highest_[block];
            highest = higher(top, highest) ? top : highest;
        }
        d = static_cast<int>(end_block * block_size);
    }
    for (; d <= last; ++d) {
        highest = higher(d, highest) ? d : highest;
    }
    return highest;
}

}  // namespace sa
