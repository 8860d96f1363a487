#pragma once

#include <functional>
#include <vector>

#include "encoding/encoding.hpp"

// Simulated annealing over bit vectors: single-bit-flip moves, geometric cooling and a fixed
// number of trials at each temperature level. Computes only: prints, reads and exits nothing.
//
// Rounding: x, f and every change of f are stored as float, temperatures as double, and every
// step between is taken in 80-bit long double, each rounding written out where it happens.
// A run's printed results depend on every one of these steps, so none may be merged or moved.

namespace sa {

// A cooling schedule.
struct schedule_params {
    double t0;             // temperature of the first level
    double t_final;        // levels go on while the temperature is above this
    double alpha;          // cooling factor applied after each level
    int trials_per_level;  // moves tried at each temperature
};

// The demo's schedule: T from 100 down to 0.1 by a factor of 0.97, n_bits / 2 trials a level.
schedule_params demo_schedule(const encoding& enc);

// The temperature of the level after one at `temperature`.
double cool(double temperature, double alpha);

// Number of temperature levels a schedule runs.
int count_levels(const schedule_params& schedule);

// A solution and its value. A value of exactly 0 means no solution yet.
struct solution {
    bit_vector bits;
    float fo = 0.0F;
};

// A random solution: n_bits random digits and f of their x.
solution random_solution(const encoding& enc, random_engine& engine);

// The grid of random_uniform: this many equal steps.
inline constexpr int uniform_steps = 10000;

// The step on that grid that an engine's draw stands for, 0..9999.
inline int uniform_step_of(std::uint32_t draw) {
    return static_cast<int>(draw % std::uint32_t{uniform_steps});
}

// One draw on that grid.
inline int uniform_step(random_engine& engine) {
    return uniform_step_of(static_cast<std::uint32_t>(engine()));
}

// A pseudo-random real in [a, b) on a grid of 10000 steps; a itself, without a draw, when
// a equals b.
long double random_uniform(random_engine& engine, double a, double b);

// f at a grid point held in two doubles: `high` rounds to f's single-precision value and
// high + low is f exactly. Sixteen bytes a point, no more than f as a long double alone.
struct split_value {
    double high;
    double low;

    float rounded() const { return static_cast<float>(high); }
    long double exact() const { return static_cast<long double>(high) + low; }
};

// The value of a grid point: rounded to single precision, as a change is formed from it, and
// unrounded, as a run keeps it for the next change once the move is accepted. From a table,
// the unrounded value is read only when asked for: most candidates are never accepted.
class point_value {
  public:
    explicit point_value(long double evaluated)
        : rounded_(static_cast<float>(evaluated)), evaluated_(evaluated) {}
    explicit point_value(const split_value& tabulated)
        : rounded_(tabulated.rounded()), tabulated_(&tabulated) {}

    float rounded() const { return rounded_; }
    long double exact() const { return tabulated_ != nullptr ? tabulated_->exact() : evaluated_; }

  private:
    float rounded_;
    long double evaluated_ = 0.0L;
    const split_value* tabulated_ = nullptr;
};

// The rounded change between two values: the new one enters rounded, the old one unrounded.
inline float rounded_change(float f_new, long double f_old) {
    return static_cast<float>(f_new - f_old);
}

// delta / T, formed in extended precision and rounded to double: the exponent whose exp the
// rule for worse moves compares with the draw.
inline double acceptance_exponent(float delta, double temperature) {
    return static_cast<double>(static_cast<long double>(delta) / temperature);
}

// The rule for worse moves with a tabulated threshold: exp(delta / T) > r exactly when the
// exponent reaches r's least accepted exponent.
inline bool reaches_threshold(float delta, double temperature, double threshold) {
    return acceptance_exponent(delta, temperature) >= threshold;
}

// What a run consults and never changes: the grid, f over it, and the rule for worse moves.
class search_space {
  public:
    // Evaluates f and exp at every trial: right for a single run.
    explicit search_space(const encoding& enc);

    // Fills tables of f over the whole grid and of acceptance thresholds first. Every
    // decision is the same as without them; many runs on one grid get much cheaper.
    static search_space tabulated(const encoding& enc);

    const encoding& grid() const { return enc_; }

    // x of decoded value d, rounded to single precision.
    float x_at(int d) const;

    // f(x_at(d)).
    point_value value_at(int d) const {
        if (values_.empty()) {
            return evaluate(d);
        }
        return point_value(values_[static_cast<std::size_t>(d)]);
    }

    // Metropolis rule for a move that does not improve: draws r = random_uniform(0, 1) and
    // accepts when exp(delta / T) > r.
    bool accepts_worse(float delta, double temperature, random_engine& engine) const {
        if (thresholds_.empty()) {
            return accepts_by_exp(delta, temperature, engine);
        }
        // The same decision without exp: each draw's threshold was found once for all runs.
        const auto step = static_cast<std::size_t>(uniform_step(engine));
        return reaches_threshold(delta, temperature, thresholds_[step]);
    }

    // The tables, for code that walks them itself; empty unless tabulated. values()[d] is f at
    // d; thresholds()[s] is the least exponent y with exp(y) > r for the draw of step s.
    const std::vector<split_value>& values() const { return values_; }
    const std::vector<double>& thresholds() const { return thresholds_; }

  private:
    point_value evaluate(int d) const;
    static bool accepts_by_exp(float delta, double temperature, random_engine& engine);

    encoding enc_;
    std::vector<split_value> values_;
    std::vector<double> thresholds_;
};

// What a run hands back for its report.
struct run_report {
    float start_x;  // x of the solution the run started from
    float best_x;   // x of the best solution found
    float best_fo;  // its value, accumulated from the accepted changes
    long analysed;  // trial solutions analysed: levels * trials_per_level
};

// The course of one temperature level, for observers that trace a run.
struct level_summary {
    int level;           // counted from 0
    double temperature;  // T during the level
    int improving;       // accepted moves that raised the value
    int worsening;       // accepted moves that did not
    int trials;          // moves tried
    float x;             // x of the current solution after the level
    float fo;            // its accumulated value
    float best_fo;       // the best accumulated value so far
};
using level_observer = std::function<void(const level_summary&)>;

// One run from `cur`. Its value follows the accepted changes and is never evaluated again;
// on return `cur` holds the best solution found and that accumulated value. `observe`, if
// given, is called after every temperature level.
run_report anneal(const search_space& space, const schedule_params& schedule, solution& cur,
                  random_engine& engine, const level_observer& observe = {});

}  // namespace sa
