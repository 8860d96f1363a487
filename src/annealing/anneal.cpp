#include "annealing/annealing.hpp"

namespace sa {

namespace {

// The running value follows the accepted changes; it is never recomputed from the vector.
float add_change(float fo, float delta) {
    return static_cast<float>(static_cast<long double>(fo) + delta);
}

// The state of one run between its trials.
class run_state {
  public:
    run_state(const search_space& space, solution& cur)
        : space_(space),
          cur_(cur),
          best_(cur),
          d_(decode_bits(cur.bits)),
          f_(space.value_at(d_).exact()),
          start_x_(space.x_at(d_)),
          best_x_(start_x_) {}

    // Draw a position, flip, decode, evaluate; accept if better, or else with probability
    // exp(delta / T); keep the best.
    void trial(double temperature, random_engine& engine, level_summary& level) {
        const int n_bits = space_.grid().n_bits;
        const int k = random_int(engine, n_bits);
        // The candidate is the current solution with digit k flipped; the vector itself is
        // flipped only once the move is accepted.
        const int d_new = decoded_after_flip(d_, n_bits, k);
        const point_value f_new = space_.value_at(d_new);
        const float delta = rounded_change(f_new.rounded(), f_);
        const bool improving = delta > 0.0F;
        ++level.trials;
        if (!improving && !space_.accepts_worse(delta, temperature, engine)) {
            return;
        }
        flip_bit(cur_.bits, k);
        move_to(d_new, f_new, delta);
        ++(improving ? level.improving : level.worsening);
        // Only an improving move can lift the value above the best; ties never replace it.
        if (improving && cur_.fo > best_.fo) {
            best_ = cur_;
            best_x_ = space_.x_at(d_);
        }
    }

    void close_level(level_summary& level) const {
        level.x = space_.x_at(d_);
        level.fo = cur_.fo;
        level.best_fo = best_.fo;
    }

    // Leaves the best solution in `cur`.
    run_report finish(long analysed) {
        cur_ = best_;
        return {start_x_, best_x_, best_.fo, analysed};
    }

  private:
    void move_to(int d, const point_value& value, float delta) {
        d_ = d;
        // f of the current solution is kept, not evaluated again at the next trial: f is a
        // pure function, so the kept value is the same, at half the cost.
        f_ = value.exact();
        cur_.fo = add_change(cur_.fo, delta);
    }

    const search_space& space_;
    solution& cur_;
    solution best_;
    int d_;
    long double f_;
    float start_x_;
    float best_x_;
};

}  // namespace

run_report anneal(const search_space& space, const schedule_params& schedule, solution& cur,
                  random_engine& engine, const level_observer& observe) {
    run_state run(space, cur);
    int levels = 0;
    for (double t = schedule.t0; t > schedule.t_final; t = cool(t, schedule.alpha)) {
        level_summary level{levels, t, 0, 0, 0, 0.0F, 0.0F, 0.0F};
        for (int trial = 0; trial < schedule.trials_per_level; ++trial) {
            run.trial(t, engine, level);
        }
        ++levels;
        if (observe) {
            run.close_level(level);
            observe(level);
        }
    }
    return run.finish(static_cast<long>(levels) * schedule.trials_per_level);
}

}  // namespace sa
