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

#include "acceptance/acceptance.hpp"
#include "encoding/encoding.hpp"
#include "extended/extended.hpp"
#include "landscape/landscape.hpp"
#include "schedule/schedule.hpp"

// Simulated annealing over bit vectors, as the textbook has it: single-bit-flip moves of a
// landscape's grid, under a cooling schedule (schedule/schedule.hpp) that runs a fixed number of
// trials at each temperature level. Computes only: prints, reads and exits nothing.
//
// Rounding: x, f and every change of f are stored as float, temperatures as double, and every
// step between is taken in 80-bit long double, each rounding written out where it happens.
// A run's printed results depend on every one of these steps, so none may be merged or moved.

namespace sa {

// ---- Solutions and moves

// A solution and its value. A value of exactly 0 means no solution yet.
struct solution {
    bit_vector bits;
    float fo = 0.0F;
};

// A random solution on the grid of `enc`: n_bits random digits and f of their x.
solution random_solution(const landscape& f, const encoding& enc, random_engine& engine);

// The rounded change between two values: the new one enters rounded, the old one unrounded.
inline float rounded_change(float f_new, long double f_old) {
    return static_cast<float>(extended(f_new - f_old));
}

// The running value follows the accepted changes; it is never recomputed from the vector.
inline float add_change(float fo, float delta) {
    return static_cast<float>(extended(static_cast<long double>(fo) + delta));
}

// ---- A run

// One trial: the digit flipped, the candidate it gives and what became of it.
struct trial_outcome {
    int position;             // the digit flipped
    int candidate_d;          // the candidate's decoded value
    float delta;              // f(candidate) - f(current), rounded
    std::optional<double> r;  // the rule's draw, taken only for a move that does not improve
    bool accepted;
};

// The state of one run of f on the grid of `enc` between its trials. Its value follows the
// accepted changes and is never evaluated again; f of the current solution is kept, not evaluated
// again at the next trial.
class annealing_run {
  public:
    annealing_run(landscape f, const encoding& enc, const solution& start);

    // Draw a position, flip it, decode, evaluate; accept if better, or else as the acceptance
    // rule decides, with probability exp(delta / T) or near it; keep the best.
    trial_outcome trial(double temperature, const acceptance& rule, random_engine& engine);

    const solution& current() const { return cur_; }
    const solution& best() const { return best_; }
    float current_x() const { return x_at(d_, enc_); }
    float start_x() const { return start_x_; }
    float best_x() const { return best_x_; }

  private:
    landscape f_;
    encoding enc_;
    solution cur_;
    solution best_;
    int d_;
    long double value_;  // f of the current solution, unrounded
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
    std::int64_t level;    // counted from 0
    double temperature;    // T during the level
    int improving;         // accepted moves that raised the value
    int worsening;         // accepted moves that did not
    int trials;            // moves tried
    float x;               // x of the current solution after the level
    float fo;              // its accumulated value
    float best_fo;         // the best accumulated value so far
    bool steered = false;  // whether T was set by hand, not by the schedule

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
// Its levels may be run by hand at another temperature, while the schedule still says how
// many there are and when the run ends.
class scheduled_run {
  public:
    scheduled_run(const landscape& f, const encoding& enc, const cooling_schedule& schedule,
                  const solution& start);

    bool finished() const { return !runs_level(schedule_, step_); }

    // The next trial, which closes its level when it is the level's last. The run must not
    // be finished, and its schedule must try a move at each level.
    trial_step trial(random_engine& engine);

    // The trials left in the current level, and the level closed.
    level_summary level(random_engine& engine);

    // Every level left, each told to `observe` (if given) as it closes.
    void to_end(random_engine& engine, const level_observer& observe = {});

    // Runs each level from the next one on at `temperature`, or at the schedule's own T again
    // when none is given. A level takes its T at its first trial, so a level under way keeps
    // its own. A temperature is refused by the rules of the schedule's T values, and the run
    // left as it was.
    std::optional<fault> steer(std::optional<double> temperature);
    const std::optional<double>& steered_at() const { return steered_at_; }
    // The schedule's T for the level in progress, whatever it is run at.
    double scheduled_temperature() const { return step_.temperature; }

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
    std::optional<double> steered_at_;
};

// One run of f from `cur` on the grid of `enc`; on return `cur` holds the best solution found
// and its accumulated value. `observe`, if given, is called after every temperature level.
run_report anneal(const landscape& f, const encoding& enc, const cooling_schedule& schedule,
                  solution& cur, random_engine& engine, const level_observer& observe = {});

}  // namespace sa
