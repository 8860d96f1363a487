#include <algorithm>

#include "study/study.hpp"

namespace sa {

peak_range hill_around(const tabulated_space& space, int d) {
    const int last = space.grid_encoding().d_max;
    const auto f = [&space](int point) { return space.value_at(point).unrounded(); };
    int top = d;
    while (top > 0 && f(top - 1) > f(top)) {
        --top;
    }
    while (top < last && f(top + 1) > f(top)) {
        ++top;
    }
    peak_range hill{top, top};
    while (hill.first > 0 && f(hill.first - 1) <= f(hill.first)) {
        --hill.first;
    }
    while (hill.last < last && f(hill.last + 1) <= f(hill.last)) {
        ++hill.last;
    }
    return hill;
}

grid_landmarks find_landmarks(const tabulated_space& space) {
    const int d_max = space.grid_encoding().d_max;
    const auto f = [&space](int point) { return space.value_at(point).unrounded(); };
    const auto highest_outside = [d_max, &space, &f](const peak_range& excluded) {
        int best = -1;
        for (const peak_range part : {peak_range{0, excluded.first - 1},
                                      peak_range{std::max(0, excluded.last + 1), d_max}}) {
            if (part.first <= part.last) {
                const int highest = space.highest_in(part.first, part.last);
                best = best < 0 || f(highest) > f(best) ? highest : best;
            }
        }
        return best;
    };
    const int optimum = highest_outside({-1, -1});
    const peak_range global_peak = hill_around(space, optimum);
    const int second = highest_outside(global_peak);
    const peak_range second_peak = second < 0 ? peak_range{-1, -1} : hill_around(space, second);
    return {optimum, space.x_at(optimum), f(optimum), global_peak, second_peak};
}

const tabulated_grid& grid_cache::of(int bits) {
    if (!grid_ || grid_->space.grid_encoding().n_bits != bits) {
        grid_.reset();
        const auto start = std::chrono::steady_clock::now();
        tabulated_space space(study_encoding(bits), jobs_);
        const grid_landmarks landmarks = find_landmarks(space);
        grid_ = std::make_unique<tabulated_grid>(
            tabulated_grid{std::move(space), landmarks, seconds_since(start)});
    }
    return *grid_;
}

}  // namespace sa
