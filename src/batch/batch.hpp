#pragma once

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "annealing/annealing.hpp"
#include "objective/objective.hpp"

// Many independent annealing runs over one grid, for studies that want only where each run
// ends. f and the acceptance rule are tabulated once for all runs, and a few runs advance
// together, trial by trial, in code whose path does not depend on the draws. Every run makes
// the same draws and decisions as anneal() and ends where it does.

namespace sa {

// x_at(d, enc) for every d of a grid, formed in double: x_min - width d / d_max in double lies
// within 2^-51 (|q| + |x|) of the extended value, so where everything that near rounds to one
// float, that float is x. Elsewhere, a few points in a million, x_at decides.
class grid_x {
  public:
    explicit grid_x(const encoding& enc);

    float operator()(int d) const {
        float x = 0.0F;
        const bool certain = formed_in_double(line_, d, x) != 0;
        return certain && in_double_ ? x : sa::x_at(d, enc_);
    }

    // x of the points from `first` on, into `x`: the same values, in a pass that the compiler
    // vectorises.
    void fill(int first, std::span<float> x) const;

  private:
    // The grid's line in double: x = x_min - width d / d_max.
    struct line {
        double x_min;
        double width;
        double inverse_d_max;
    };

    // x of point d on the line in double, into `single`, and 1 where it rounds to that float
    // wherever the extended value may lie. Static, on a copy, so that a loop over it can be
    // vectorised.
    static std::uint32_t formed_in_double(const line& grid, int d, float& single) {
        const double quotient = grid.width * d * grid.inverse_d_max;
        const double x = grid.x_min - quotient;
        const double margin = (std::fabs(quotient) + std::fabs(x)) * 0x1p-50;
        single = static_cast<float>(x);
        return static_cast<std::uint32_t>(
            std::bit_cast<std::uint32_t>(static_cast<float>(x - margin)) ==
            std::bit_cast<std::uint32_t>(static_cast<float>(x + margin)));
    }

    // formed_in_double for `count` points from `first`, into x and certain: its bounds taken as
    // values, so that nothing the loop writes can change them, and it is vectorised.
    static void form_in_double(const line& grid, int first, int count, float* x,
                               std::uint32_t* certain);

    encoding enc_;
    bool in_double_;  // width d is exact in double
    line line_;
};

// For a uniform draw r, the least exponent y with exp(y) > r, so that exp(delta / T) > r is
// decided as delta / T >= y without exp; and the double just below it.
struct acceptance_threshold {
    double least;
    double below;
};

// Told now and then how many more grid points have been tabulated, so that a large grid can
// show its progress.
using point_counter = std::function<void(std::int64_t points)>;

// A grid with f at every point, and the acceptance threshold of every uniform draw. f is held
// in two arrays, the rounded values that runs compare apart from the rests, so that runs read
// four bytes a candidate.
class tabulated_space {
  public:
    // f on the grid of `enc`, tabulated on `jobs` threads: the table is the same for any
    // number. `count` is told from the calling thread only.
    tabulated_space(landscape f, const encoding& enc, int jobs = 1,
                    const point_counter& count = {});

    const landscape& grid_landscape() const { return f_; }
    const encoding& grid_encoding() const { return enc_; }
    float x_at(int d) const { return x_(d); }
    split_value value_at(int d) const { return {rounded_at(d), rest_[index(d)]}; }
    float rounded_at(int d) const { return rounded_[index(d)]; }
    const acceptance_threshold& threshold(int uniform_point) const {
        return (*thresholds_)[static_cast<std::size_t>(uniform_point)];
    }

    // Ask for d's rounded value, or the rest of its value, to be brought to the cache ahead of
    // reading it.
    void prefetch_rounded(int d) const { __builtin_prefetch(&rounded_[index(d)]); }
    void prefetch_rest(int d) const { __builtin_prefetch(&rest_[index(d)]); }

    // The point of first..last with the highest f, the first of equals.
    int highest_in(int first, int last) const;

  private:
    static std::size_t index(int d) { return static_cast<std::size_t>(d); }
    bool higher(int a, int b) const;
    std::int64_t tabulate_block(std::size_t block);  // the points it tabulated

    landscape f_;
    encoding enc_;
    grid_x x_;
    // Arrays left unwritten until the threads tabulate them, so that each page is first
    // touched, and so placed, by the thread that fills it.
    std::unique_ptr<float[]> rounded_;  // NOLINT(modernize-avoid-c-arrays)
    std::unique_ptr<double[]> rest_;    // NOLINT(modernize-avoid-c-arrays)
    std::vector<int> block_highest_;    // the highest point of each block of the grid
    const std::vector<acceptance_threshold>* thresholds_;  // the same for every grid: found once
};

// ---- Shortcuts of the batch engine, each giving what the rule it stands for gives

// The decision of the rule for worse moves, where a quotient in double makes it: that quotient
// lies within one unit of its last place of the exponent formed in extended precision, so it
// decides every move but those within a unit of the threshold. None for those.
inline std::optional<bool> quotient_decides(float delta, double temperature,
                                            const acceptance_threshold& threshold) {
    const double quotient = static_cast<double>(delta) / temperature;
    const bool above = quotient > threshold.least;
    const bool below = quotient < threshold.below;
    // Either way the draws fall, this branch is taken about never: the processor predicts it.
    if (above == below) [[unlikely]] {
        return std::nullopt;
    }
    return above;
}

// The rule for worse moves against a tabulated threshold: the same decision as accepts_worse.
// Where long double is wider than the 80-bit format its division is done in software, and the
// quotient in double decides first; on x86-64 the extended division costs less than the test.
bool reaches_threshold(float delta, double temperature, const acceptance_threshold& threshold);

// add_change, formed in float: rounding a sum of two floats to 64 bits and then to 24 gives
// what rounding it once to 24 gives (64 >= 2 * 24 + 2), so no extended sum is needed.
inline float float_sum(float fo, float delta) {
    return fo + delta;
}

// rounded_change from a tabulated old value: formed in double where that gives the same
// float, which is at almost every trial, and by rounded_change itself where it might not.
float tabulated_change(float f_new, const split_value& f_old);

// int_of_draw(x, divisor) for every 32-bit x, by two multiplications where the division would
// be the slowest step of a trial (Lemire, Kaser and Kurz, "Faster remainder by direct
// computation").
class remainder_by {
  public:
    explicit remainder_by(std::uint32_t divisor)
        : divisor_(divisor), inverse_(UINT64_MAX / divisor + 1) {}

    int of(std::uint32_t x) const {
        const std::uint64_t fraction = inverse_ * x;
        // The high half of the 96-bit product fraction * divisor.
        const std::uint64_t high = (fraction >> 32U) * divisor_;
        const std::uint64_t low = (fraction & 0xFFFF'FFFFU) * divisor_;
        return static_cast<int>((high + (low >> 32U)) >> 32U);
    }

  private:
    std::uint64_t divisor_;
    std::uint64_t inverse_;
};

// std::mt19937, 624 outputs at a time: the outputs of random_engine(seed), in order, each
// block renewed and tempered in passes over the whole state that the compiler vectorises,
// where the engine renews it one word per call behind a test.
class twister {
  public:
    static constexpr std::size_t block_size = 624;

    explicit twister(std::uint32_t seed) : twister(seeded<1>({seed})[0]) {}

    // Engines seeded with each of `seeds`: the seeding recurrences, one after another in each
    // engine, advance side by side so that the processor overlaps them.
    template <std::size_t n>
    static std::array<twister, n> seeded(const std::array<std::uint32_t, n>& seeds) {
        std::array<state, n> states{};
        for (std::size_t e = 0; e < n; ++e) {
            states[e][0] = seeds[e];
        }
        for (std::uint32_t i = 1; i < block_size; ++i) {
            for (state& words : states) {
                const std::uint32_t last = words[i - 1];
                words[i] = 1812433253U * (last ^ (last >> 30U)) + i;
            }
        }
        return [&states]<std::size_t... e>(std::index_sequence<e...>) {
            return std::array<twister, n>{twister(states[e])...};
        }
        (std::make_index_sequence<n>{});
    }

    // The next block_size outputs.
    void next_block(std::span<std::uint32_t, block_size> out);

  private:
    using state = std::array<std::uint32_t, block_size>;

    explicit twister(const state& words) : state_(words) {}

    state state_;
};

// One run of a batch, as a study's run makes it: choice 1 of the demo, a random start, then
// choice 2, with an engine seeded with `seed`. The start and the best solution found come out.
struct lockstep_run {
    std::uint32_t seed;
    int start_d = 0;  // decoded start
    float start_fo = 0.0F;
    int best_d = 0;
    float best_fo = 0.0F;  // accumulated from the accepted changes, as anneal() reports it
};

// Told now and then how many trials the runs have made since it was last told, so that runs
// of any length can show their progress.
using trial_counter = std::function<void(std::int64_t trials)>;

// Told, as each level ends, its number (from 0) and where the runs that went through it
// together stand: the decoded current solution of each.
using level_positions = std::function<void(std::int64_t level, std::span<const int> current)>;

// Draws every run's start and anneals it under `schedule`: each starts where random_solution
// starts with random_engine(seed) and ends on the best solution and value that anneal() then
// finds.
void anneal_lockstep(const tabulated_space& space, const cooling_schedule& schedule,
                     std::span<lockstep_run> runs, const trial_counter& count = {},
                     const level_positions& observe = {});

}  // namespace sa
