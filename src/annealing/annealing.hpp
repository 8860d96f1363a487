#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "encoding/encoding.hpp"
#include "extended/extended.hpp"
#include "vocabulary/vocabulary.hpp"

// Simulated annealing over bit vectors, as the textbook has it: single-bit-flip moves,
// a cooling law (geometric as the demo has it, linear or Lundy-Mees) and a fixed number of
// trials at each temperature level. A schedule meets its limits by construction, so a run,
// whoever starts it, runs what a front end would have taken. Computes only: prints, reads and
// exits nothing; a value refused is a fault, for a front end to put into words.
//
// Rounding: x, f and every change of f are stored as float, temperatures as double, and every
// step between is taken in 80-bit long double, each rounding written out where it happens.
// A run's printed results depend on every one of these steps, so none may be merged or moved.

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

// How a law is written: its name as --cooling takes it and files hold it, its title in
// prose, and its label in a column as narrow as a cooling factor.
struct law_spelling {
    const char* name;
    const char* title;
    const char* label;
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
    static constexpr law_spelling spelling{"geometric", "geometric", "geometric"};

    static constexpr study_field parameter = study_field::alpha;

    double alpha;  // cooling factor applied after each level

    // A cooling factor lies between 0 and 1, also once rounded to single precision.
    static std::optional<fault> parameter_fault(double alpha);
    std::optional<fault> own_fault() const { return parameter_fault(alpha); }

    static bool runs(const cooling_step& step, const temperature_span& span) {
        return step.temperature > span.t_final;
    }
    double next(const cooling_step& step, const temperature_span& span) const;
    // Its levels before they are walked: walking 10^15 of them would never end.
    double estimated_levels(const temperature_span& span) const;
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
    std::int64_t exact_levels(const temperature_span& /*span*/) const {
        return levels > 0 ? levels : 0;
    }
    bool operator==(const fixed_levels&) const = default;
};

// T_k = T0 - k (T0 - T_final) / L.
struct linear : fixed_levels {
    static constexpr law_spelling spelling{"linear", "linear", "linear"};
    using fixed_levels::fixed_levels;
    double next(const cooling_step& step, const temperature_span& span) const;
    bool operator==(const linear&) const = default;
};

// T_{k+1} = T_k / (1 + beta T_k), the inverse temperature growing by beta at each level.
struct lundy_mees : fixed_levels {
    static constexpr law_spelling spelling{"lundy-mees", "Lundy-Mees", "L-M"};
    using fixed_levels::fixed_levels;
    double next(const cooling_step& step, const temperature_span& span) const;
    bool operator==(const lundy_mees&) const = default;
};

// Every cooling law: a new one is an alternative here, with the members the others have.
using cooling = std::variant<geometric, linear, lundy_mees>;

const law_spelling& spelling_of(const cooling& law);

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

// Each law's name or title (`word`, a member of law_spelling).
std::vector<std::string> spelled(const std::vector<cooling>& laws, const char* law_spelling::*word);

// ---- The schedule

// The temperatures of a run's levels and the moves tried at each: made only by make(), which
// refuses what the limits above refuse, or a schedule without a level, or a run of more than
// 10^9 trials.
class cooling_schedule {
  public:
    // The schedule, or the first of its values refused.
    static expected<cooling_schedule> make(double t0, double t_final, cooling law,
                                           int trials_per_level);

    // The temperature of the first level.
    double t0() const { return t0_; }
    // Geometric: levels go on while T is above it; else level L's T.
    double t_final() const { return t_final_; }
    // How T falls from level to level.
    const cooling& law() const { return law_; }
    // The moves tried at each level.
    int trials_per_level() const { return trials_per_level_; }

    temperature_span span() const { return {t0_, t_final_}; }
    bool operator==(const cooling_schedule&) const = default;

  private:
    cooling_schedule(double t0, double t_final, cooling law, int trials_per_level)
        : t0_(t0), t_final_(t_final), law_(law), trials_per_level_(trials_per_level) {}

    double t0_;
    double t_final_;
    cooling law_;
    int trials_per_level_;
};

// The demo's schedule: T from 100 down to 0.1 by a factor of 0.97, n_bits / 2 trials a level.
cooling_schedule demo_schedule(const encoding& enc);

// The schedule in words: "T0 100, alpha 0.97, final T 0.1, 8 trials per level", a law without
// a cooling factor named in its place.
std::string describe(const cooling_schedule& schedule);

// The geometric step: the temperature of the level after one at `temperature`.
double cool(double temperature, double alpha);

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

// ---- Uniform draws: one of 10,000 equally spaced values in [a, b)

inline constexpr int uniform_grid_points = 10000;

// Which of those values one draw of the engine picks.
inline int uniform_point_of(std::uint32_t draw) {
    return static_cast<int>(draw % std::uint32_t{uniform_grid_points});
}

// The value of point `point` in [a, b), unrounded.
long double uniform_value(int point, double a, double b);

// A pseudo-random value in [a, b); a itself, without a draw, when a equals b.
long double random_uniform(random_engine& engine, double a, double b);

// ---- Solutions and moves

// A solution and its value. A value of exactly 0 means no solution yet.
struct solution {
    bit_vector bits;
    float fo = 0.0F;
};

// A random solution: n_bits random digits and f of their x.
solution random_solution(const encoding& enc, random_engine& engine);

// The rounded change between two values: the new one enters rounded, the old one unrounded.
inline float rounded_change(float f_new, long double f_old) {
    return static_cast<float>(extended(f_new - f_old));
}

// The running value follows the accepted changes; it is never recomputed from the vector.
inline float add_change(float fo, float delta) {
    return static_cast<float>(extended(static_cast<long double>(fo) + delta));
}

// A better solution is always accepted.
inline bool improves(float delta) {
    return delta > 0.0F;
}

// delta / T, formed in extended precision and rounded to double: the exponent whose exp the
// rule for worse moves compares with the draw.
inline double acceptance_exponent(float delta, double temperature) {
    return static_cast<double>(extended(static_cast<long double>(delta) / temperature));
}

// A worse one (or an equal one) when exp(delta / T) exceeds the uniform draw r.
bool accepts_worse(float delta, double temperature, double r);

// ---- A run

// One trial: the digit flipped, the candidate it gives and what became of it.
struct trial_outcome {
    int position;             // the digit flipped
    int candidate_d;          // the candidate's decoded value
    float delta;              // f(candidate) - f(current), rounded
    std::optional<double> r;  // the uniform draw, taken only for a move that does not improve
    bool accepted;
};

// The state of one run between its trials. Its value follows the accepted changes and is never
// evaluated again; f of the current solution is kept, not evaluated again at the next trial.
class annealing_run {
  public:
    annealing_run(const encoding& enc, const solution& start);

    // Draw a position, flip it, decode, evaluate; accept if better, or else with probability
    // exp(delta / T) (the Metropolis acceptance rule); keep the best.
    trial_outcome trial(double temperature, random_engine& engine);

    const solution& current() const { return cur_; }
    const solution& best() const { return best_; }
    float current_x() const { return x_at(d_, enc_); }
    float start_x() const { return start_x_; }
    float best_x() const { return best_x_; }

  private:
    encoding enc_;
    solution cur_;
    solution best_;
    int d_;
    long double f_;
    float start_x_;
    float best_x_;
};

// What a run hands back for its report.
struct run_report {
    float start_x;          // x of the solution the run started from
    float best_x;           // x of the best solution found
    float best_fo;          // its value, accumulated from the accepted changes
    std::int64_t analysed;  // trial solutions analysed: levels * trials_per_level
};

// The course of one temperature level, for observers that trace a run.
struct level_summary {
    std::int64_t level;  // counted from 0
    double temperature;  // T during the level
    int improving;       // accepted moves that raised the value
    int worsening;       // accepted moves that did not
    int trials;          // moves tried
    float x;             // x of the current solution after the level
    float fo;            // its accumulated value
    float best_fo;       // the best accumulated value so far

    // Moves tried that would not raise the value, taken or not: an improving move is always
    // taken.
    int worse_tried() const { return trials - improving; }
    bool operator==(const level_summary&) const = default;
};
using level_observer = std::function<void(const level_summary&)>;

// A trial made by a scheduled run, and its level as it stands after it.
struct trial_step {
    trial_outcome outcome;
    level_summary level;  // its counts so far; whole, x and values included, once closed
    bool closed_level;    // whether the trial was its level's last
};

// One run under its schedule, to be taken a trial, a level or the rest at a time: the run's
// state, the walk through the schedule's levels and the counts of the level in progress.
class scheduled_run {
  public:
    scheduled_run(const encoding& enc, const cooling_schedule& schedule, const solution& start);

    bool finished() const { return !runs_level(schedule_, step_); }

    // The next trial, which closes its level when it is the level's last. The run must not
    // be finished, and its schedule must try a move at each level.
    trial_step trial(random_engine& engine);

    // The trials left in the current level, and the level closed.
    level_summary level(random_engine& engine);

    // Every level left, each told to `observe` (if given) as it closes.
    void to_end(random_engine& engine, const level_observer& observe = {});

    const annealing_run& state() const { return run_; }
    std::int64_t trials_made() const { return trials_made_; }
    run_report report() const;

  private:
    void count(const trial_outcome& outcome);
    level_summary close_level();
    void open_level();

    cooling_schedule schedule_;
    annealing_run run_;
    cooling_step step_;
    level_summary level_{};
    std::int64_t trials_made_ = 0;
};

// One run from `cur`; on return `cur` holds the best solution found and its accumulated value.
// `observe`, if given, is called after every temperature level.
run_report anneal(const encoding& enc, const cooling_schedule& schedule, solution& cur,
                  random_engine& engine, const level_observer& observe = {});

}  // namespace sa
