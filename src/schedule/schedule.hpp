#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "acceptance/acceptance.hpp"
#include "encoding/encoding.hpp"
#include "vocabulary/vocabulary.hpp"

// A cooling schedule: the temperature of each level of a run, by a cooling law (geometric as the
// demo has it, linear or Lundy-Mees), and the moves tried at each. A schedule meets its limits by
// construction, so a run, whoever starts it, runs what a front end would have taken. Computes
// only; a value refused is a fault, for a front end to put into words.

namespace sa {

// ---- Cooling laws: how the temperature falls from one level to the next, and when it stops

// A level of a schedule: its number, from 0, and its temperature.
struct cooling_step {
    std::int64_t level;
    double temperature;
};

// The temperatures a schedule cools between.
struct temperature_span {
    double t0;       // of the first level
    double t_final;  // geometric: levels go on while T is above it; else level L's T
};

// ---- What a schedule's values may be: the limits of every schedule, whoever makes it

inline constexpr double max_temperature = 1e30;
inline constexpr int max_trials_per_level = 1'000'000;
inline constexpr std::int64_t max_trials_per_run = 1'000'000'000;

// A schedule's values are taken in single precision, as sa_demo's own constants are, and each
// rule holds of a value as typed and once rounded alike.

// Every real value of a schedule is at most 1e30 in size, far within single precision.
std::optional<fault> magnitude_fault(double value);

// A temperature is positive, also once rounded to single precision.
std::optional<fault> temperature_fault(double temperature);

// Each level tries 1 to 10^6 moves.
std::optional<fault> trials_fault(std::int64_t trials_per_level);

// T_{k+1} = alpha T_k, while T stays above the final T: the demo's law.
struct geometric {
    static constexpr spelling spelled{"geometric", "geometric", "geometric"};

    static constexpr study_field parameter = study_field::alpha;

    double alpha;  // cooling factor applied after each level

    // A cooling factor lies between 0 and 1, also once rounded to single precision.
    static std::optional<fault> parameter_fault(double alpha);
    std::optional<fault> own_fault() const { return parameter_fault(alpha); }

    static bool runs(const cooling_step& step, const temperature_span& span) {
        return step.temperature > span.t_final;
    }
    double next(const cooling_step& step, const temperature_span& span) const;
    // Its levels before they are walked: walking 10^15 of them would never end. The walk ends
    // within estimate_error levels of the estimate.
    double estimated_levels(const temperature_span& span) const;
    double estimate_error(const temperature_span& span) const;
    std::int64_t exact_levels(const temperature_span& span) const;
    bool operator==(const geometric&) const = default;
};

// What the laws that run exactly L levels share, whatever their temperatures.
struct fixed_levels {
    explicit constexpr fixed_levels(int count = 0) : levels(count) {}

    static constexpr study_field parameter = study_field::levels;

    int levels;  // L

    // 1 to 10^9 levels: a run of more would make more trials than a run may.
    static std::optional<fault> parameter_fault(std::int64_t levels);
    std::optional<fault> own_fault() const { return parameter_fault(levels); }

    bool runs(const cooling_step& step, const temperature_span& /*span*/) const {
        return step.level < levels;
    }
    double estimated_levels(const temperature_span& /*span*/) const { return levels; }
    static double estimate_error(const temperature_span& /*span*/) { return 0.0; }
    std::int64_t exact_levels(const temperature_span& /*span*/) const {
        return levels > 0 ? levels : 0;
    }
    bool operator==(const fixed_levels&) const = default;
};

// T_k = T0 - k (T0 - T_final) / L.
struct linear : fixed_levels {
    static constexpr spelling spelled{"linear", "linear", "linear"};
    using fixed_levels::fixed_levels;
    double next(const cooling_step& step, const temperature_span& span) const;
    bool operator==(const linear&) const = default;
};

// T_{k+1} = T_k / (1 + beta T_k), the inverse temperature growing by beta at each level.
struct lundy_mees : fixed_levels {
    static constexpr spelling spelled{"lundy-mees", "Lundy-Mees", "L-M"};
    using fixed_levels::fixed_levels;
    double next(const cooling_step& step, const temperature_span& span) const;
    bool operator==(const lundy_mees&) const = default;
};

// Every cooling law: a new one is an alternative here, with the members the others have.
using cooling = std::variant<geometric, linear, lundy_mees>;

const spelling& spelling_of(const cooling& law);

// The law spelled `name`, its parameter 0; none for any other text.
std::optional<cooling> law_named(std::string_view name);

// One of each law, in the order above, each with its parameter 0.
std::vector<cooling> every_law();

// What is wrong with a law's own parameter, if anything.
std::optional<fault> law_fault(const cooling& law);

// The levels a law runs between two temperatures: 0 when the first is not above the last.
std::int64_t levels_between(const cooling& law, const temperature_span& span);

// A law's parameters, as a request's lists set them: its cooling factor alpha, or its levels L.
// A law takes the parameters it has; 0 stands for one it lacks.
bool takes_alpha(const cooling& law);
bool takes_levels(const cooling& law);
double alpha_of(const cooling& law);
cooling law_with(cooling law, double alpha, int levels);

// The laws that take a parameter (or, with `taking` false, those that do not).
std::vector<cooling> laws_taking(bool (*takes)(const cooling&), bool taking = true);

// ---- The schedule

// The temperatures of a run's levels and the moves tried at each: made only by make(), which
// refuses what the limits above refuse, or a schedule without a level, or a run of more than
// 10^9 trials.
class cooling_schedule {
  public:
    // The schedule between the temperatures of `span`, or the first of its values refused.
    static expected<cooling_schedule> make(const temperature_span& span, const cooling& law,
                                           int trials_per_level,
                                           const acceptance& rule = demo_acceptance{});

    // The temperature of the first level.
    double t0() const { return t0_; }
    // Geometric: levels go on while T is above it; else level L's T.
    double t_final() const { return t_final_; }
    // How T falls from level to level.
    const cooling& law() const { return law_; }
    // The moves tried at each level.
    int trials_per_level() const { return trials_per_level_; }
    // How a move that does not improve is decided.
    const sa::acceptance& acceptance() const { return acceptance_; }

    temperature_span span() const { return {t0_, t_final_}; }
    bool operator==(const cooling_schedule&) const = default;

  private:
    cooling_schedule(const temperature_span& span, const cooling& law, int trials_per_level,
                     const sa::acceptance& rule)
        : t0_(span.t0),
          t_final_(span.t_final),
          law_(law),
          trials_per_level_(trials_per_level),
          acceptance_(rule) {}

    double t0_;
    double t_final_;
    cooling law_;
    int trials_per_level_;
    sa::acceptance acceptance_;
};

// The demo's schedule: T from 100 down to 0.1 by a factor of 0.97, n_bits / 2 trials a level.
cooling_schedule demo_schedule(const encoding& enc);

// The schedule in words: "T0 100, alpha 0.97, final T 0.1, 8 trials per level", a law without
// a cooling factor named in its place.
std::string describe(const cooling_schedule& schedule);

// The geometric step: the temperature of the level after one at `temperature`, the product
// formed in extended precision and rounded to double.
double cool(double temperature, double alpha);

// The same step in double arithmetic alone, for targets without the 80-bit format, where
// extended precision is done in software: the same value for every positive temperature and
// factor whose product is a normal double.
double cool_in_double(double temperature, double alpha);

// The schedule's law as a policy: whether a level is run, and the level after it.
bool runs_level(const cooling_schedule& schedule, const cooling_step& step);
cooling_step next_level(const cooling_schedule& schedule, const cooling_step& step);

// The temperatures of a schedule's levels, hottest first: for (double t : levels_of(s)).
class temperature_levels {
  public:
    class iterator {
      public:
        using difference_type = std::ptrdiff_t;
        using value_type = double;

        explicit iterator(const cooling_schedule& schedule)
            : schedule_(&schedule), step_{0, schedule.t0()} {}
        double operator*() const { return step_.temperature; }
        iterator& operator++() {
            step_ = next_level(*schedule_, step_);
            return *this;
        }
        void operator++(int) { ++*this; }
        bool operator==(std::default_sentinel_t /*end*/) const {
            return !runs_level(*schedule_, step_);
        }

      private:
        const cooling_schedule* schedule_;
        cooling_step step_;
    };

    explicit temperature_levels(const cooling_schedule& schedule) : schedule_(schedule) {}
    iterator begin() const { return iterator(schedule_); }
    static std::default_sentinel_t end() { return {}; }

  private:
    cooling_schedule schedule_;
};

inline temperature_levels levels_of(const cooling_schedule& schedule) {
    return temperature_levels(schedule);
}

// Number of temperature levels a schedule runs, and the trials a run makes in all: they depend
// on the schedule alone, never on the draws. Estimated, before a long walk is counted.
std::int64_t count_levels(const cooling_schedule& schedule);
std::int64_t trials_per_run(const cooling_schedule& schedule);
double estimated_trials_per_run(const cooling_schedule& schedule);
// How far the trials per run may lie from their estimate.
double trials_estimate_error(const cooling_schedule& schedule);

}  // namespace sa
