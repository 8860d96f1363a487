#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>

#include "encoding/encoding.hpp"
#include "extended/extended.hpp"

// Simulated annealing over bit vectors, as the textbook has it: single-bit-flip moves,
// a cooling law (geometric as the demo has it, linear or Lundy-Mees) and a fixed number of
// trials at each temperature level. Computes only: prints, reads and exits nothing.
//
// Rounding: x, f and every change of f are stored as float, temperatures as double, and every
// step between is taken in 80-bit long double, each rounding written out where it happens.
// A run's printed results depend on every one of these steps, so none may be merged or moved.

namespace sa {

// ---- The schedule

// How the temperature falls from one level to the next.
enum class cooling_law {
    geometric,   // T_{k+1} = alpha T_k, while T stays above the final T
    linear,      // T_k = T0 - k (T0 - T_final) / L, for exactly L levels
    lundy_mees,  // T_{k+1} = T_k / (1 + beta T_k), for exactly L levels
};

struct schedule_params {
    double t0;             // temperature of the first level
    double t_final;        // geometric: levels go on while T is above it; else level L's T
    double alpha;          // geometric: cooling factor applied after each level
    int trials_per_level;  // moves tried at each temperature
    cooling_law law = cooling_law::geometric;
    int levels = 0;  // L, the levels that linear and Lundy-Mees cooling run
};

// The demo's schedule: T from 100 down to 0.1 by a factor of 0.97, n_bits / 2 trials a level.
schedule_params demo_schedule(const encoding& enc);

// The geometric step: the temperature of the level after one at `temperature`.
double cool(double temperature, double alpha);

// A level of a schedule: its number, from 0, and its temperature.
struct cooling_step {
    std::int64_t level;
    double temperature;
};

// The cooling law as a policy: whether a level is run, and the level after it.
bool runs_level(const schedule_params& schedule, const cooling_step& step);
cooling_step next_level(const schedule_params& schedule, const cooling_step& step);

// The temperatures of a schedule's levels, hottest first: for (double t : levels_of(s)).
class temperature_levels {
  public:
    class iterator {
      public:
        using difference_type = std::ptrdiff_t;
        using value_type = double;

        explicit iterator(const schedule_params& schedule)
            : schedule_(&schedule), step_{0, schedule.t0} {}
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
        const schedule_params* schedule_;
        cooling_step step_;
    };

    explicit temperature_levels(const schedule_params& schedule) : schedule_(schedule) {}
    iterator begin() const { return iterator(schedule_); }
    static std::default_sentinel_t end() { return {}; }

  private:
    schedule_params schedule_;
};

inline temperature_levels levels_of(const schedule_params& schedule) {
    return temperature_levels(schedule);
}

// Number of temperature levels a schedule runs, and the trials a run makes in all: they depend
// on the schedule alone, never on the draws.
std::int64_t count_levels(const schedule_params& schedule);
std::int64_t trials_per_run(const schedule_params& schedule);

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
    // exp(delta / T); keep the best.
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
};
using level_observer = std::function<void(const level_summary&)>;

// One run from `cur`; on return `cur` holds the best solution found and its accumulated value.
// `observe`, if given, is called after every temperature level.
run_report anneal(const encoding& enc, const schedule_params& schedule, solution& cur,
                  random_engine& engine, const level_observer& observe = {});

}  // namespace sa
