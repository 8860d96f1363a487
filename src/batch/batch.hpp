#pragma once

#include <cfloat>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "annealing/annealing.hpp"

// Many independent annealing runs over one grid, for studies that want only where each run
// ends. f and the acceptance rule are tabulated once for all runs, and a few runs advance
// together, trial by trial, in code whose path does not depend on the draws. Every run makes
// the same draws and decisions as anneal() and ends where it does.

namespace sa {

// f at a grid point in two doubles: `high` rounds to f's single-precision value and
// high + low is f exactly. Sixteen bytes a point, no more than f as a long double alone.
struct split_value {
    double high;
    double low;

    float rounded() const { return static_cast<float>(high); }
    long double unrounded() const { return extended(static_cast<long double>(high) + low); }
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

// A grid with f at every point, and the acceptance threshold of every uniform draw.
class tabulated_space {
  public:
    explicit tabulated_space(const encoding& enc, const point_counter& count = {});

    const encoding& grid_encoding() const { return enc_; }
    float x_at(int d) const { return sa::x_at(d, enc_); }
    const split_value& value_at(int d) const { return values_[static_cast<std::size_t>(d)]; }
    const acceptance_threshold& threshold(int uniform_point) const {
        return thresholds_[static_cast<std::size_t>(uniform_point)];
    }

  private:
    encoding enc_;
    std::vector<split_value> values_;
    std::vector<acceptance_threshold> thresholds_;
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
inline bool reaches_threshold(float delta, double temperature,
                              const acceptance_threshold& threshold) {
    if constexpr (LDBL_MANT_DIG != 64) {
        if (const std::optional<bool> decided = quotient_decides(delta, temperature, threshold)) {
            return *decided;
        }
    }
    return acceptance_exponent(delta, temperature) >= threshold.least;
}

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

// One run of a batch: its engine, from which its start was drawn, and that start going in; the
// best solution found coming out.
struct lockstep_run {
    random_engine engine;
    int start_d;     // decoded start
    float start_fo;  // its value, as the start solution carries it
    int best_d = 0;
    float best_fo = 0.0F;  // accumulated from the accepted changes, as anneal() reports it

    // Choice 1 of the demo with this engine: a random start, ready to anneal.
    static lockstep_run from_random_start(const encoding& enc, const random_engine& engine);
};

// Told now and then how many trials the runs have made since it was last told, so that runs
// of any length can show their progress.
using trial_counter = std::function<void(std::int64_t trials)>;

// Told, as each level ends, its number (from 0) and where the runs that went through it
// together stand: the decoded current solution of each.
using level_positions = std::function<void(std::int64_t level, std::span<const int> current)>;

// Anneals every run under `schedule`. Each ends on the best solution and value that anneal()
// finds from its start with its engine; only the engines are left further on, having drawn
// ahead.
void anneal_lockstep(const tabulated_space& space, const schedule_params& schedule,
                     std::span<lockstep_run> runs, const trial_counter& count = {},
                     const level_positions& observe = {});

}  // namespace sa
