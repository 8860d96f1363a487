#include "annealing/annealing.hpp"
#include "objective/objective.hpp"

namespace sa {

annealing_run::annealing_run(const encoding& enc, const solution& start)
    : enc_(enc),
      cur_(start),
      best_(start),
      d_(decode_bits(start.bits)),
      f_(objective(x_at(d_, enc))),
      start_x_(x_at(d_, enc)),
      best_x_(start_x_) {}

trial_outcome annealing_run::trial(double temperature, random_engine& engine) {
    trial_outcome outcome{};
    outcome.position = random_int(engine, enc_.n_bits);
    // The candidate is the current solution with that digit flipped; the vector itself is
    // flipped only once the move is accepted.
    outcome.candidate_d = decoded_after_flip(d_, enc_.n_bits, outcome.position);
    const long double f_candidate = objective(x_at(outcome.candidate_d, enc_));
    outcome.delta = rounded_change(static_cast<float>(f_candidate), f_);
    if (improves(outcome.delta)) {
        outcome.accepted = true;
    } else {
        outcome.r = static_cast<double>(random_uniform(engine, 0.0, 1.0));
        outcome.accepted = accepts_worse(outcome.delta, temperature, *outcome.r);
    }
    if (!outcome.accepted) {
        return outcome;
    }
    flip_bit(cur_.bits, outcome.position);
    d_ = outcome.candidate_d;
    f_ = f_candidate;
    cur_.fo = add_change(cur_.fo, outcome.delta);
    // Only an improving move can lift the value above the best; ties never replace it.
    if (improves(outcome.delta) && cur_.fo > best_.fo) {
        best_ = cur_;
        best_x_ = x_at(d_, enc_);
    }
    return outcome;
}

namespace {

void count_trial(const trial_outcome& trial, level_summary& level) {
    ++level.trials;
    if (trial.accepted) {
        ++(improves(trial.delta) ? level.improving : level.worsening);
    }
}

}  // namespace

run_report anneal(const encoding& enc, const schedule_params& schedule, solution& cur,
                  random_engine& engine, const level_observer& observe) {
    annealing_run run(enc, cur);
    std::int64_t level_number = 0;
    for (const double temperature : levels_of(schedule)) {
        level_summary level{level_number++, temperature, 0, 0, 0, 0.0F, 0.0F, 0.0F};
        for (int trial = 0; trial < schedule.trials_per_level; ++trial) {
            count_trial(run.trial(temperature, engine), level);
        }
        if (observe) {
            level.x = run.current_x();
            level.fo = run.current().fo;
            level.best_fo = run.best().fo;
            observe(level);
        }
    }
    cur = run.best();
    return {run.start_x(), run.best_x(), cur.fo, trials_per_run(schedule)};
}

}  // namespace sa
