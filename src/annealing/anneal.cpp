#include <utility>

#include "annealing/annealing.hpp"

namespace sa {

annealing_run::annealing_run(landscape f, const encoding& enc, const solution& start)
    : f_(std::move(f)),
      enc_(enc),
      cur_(start),
      best_(start),
      d_(decode_bits(start.bits)),
      value_(f_.value(x_at(d_, enc))),
      start_x_(x_at(d_, enc)),
      best_x_(start_x_) {}

trial_outcome annealing_run::trial(double temperature, const acceptance& rule,
                                   random_engine& engine) {
    trial_outcome outcome{};
    outcome.position = random_int(engine, enc_.n_bits);
    // The candidate is the current solution with that digit flipped; the vector itself is
    // flipped only once the move is accepted.
    outcome.candidate_d = decoded_after_flip(d_, enc_.n_bits, outcome.position);
    const long double f_candidate = f_.value(x_at(outcome.candidate_d, enc_));
    outcome.delta = rounded_change(static_cast<float>(f_candidate), value_);
    if (improves(outcome.delta)) {
        outcome.accepted = true;
    } else {
        const decision decided = decide_worse(rule, outcome.delta, temperature, engine);
        outcome.r = decided.r;
        outcome.accepted = decided.accepted;
    }
    if (!outcome.accepted) {
        return outcome;
    }
    flip_bit(cur_.bits, outcome.position);
    d_ = outcome.candidate_d;
    value_ = f_candidate;
    cur_.fo = add_change(cur_.fo, outcome.delta);
    // Only an improving move can lift the value above the best; ties never replace it.
    if (improves(outcome.delta) && cur_.fo > best_.fo) {
        best_ = cur_;
        best_x_ = x_at(d_, enc_);
    }
    return outcome;
}

scheduled_run::scheduled_run(const landscape& f, const encoding& enc,
                             const cooling_schedule& schedule, const solution& start)
    : schedule_(schedule), run_(f, enc, start), step_{0, schedule.t0()} {
    open_level();
}

void scheduled_run::open_level() {
    const bool steered = steered_at_.has_value();
    level_ = {step_.level, steered_at_.value_or(step_.temperature), 0, 0, 0, 0.0F, 0.0F, 0.0F,
              steered};
}

std::optional<fault> scheduled_run::steer(std::optional<double> temperature) {
    if (temperature) {
        if (std::optional<fault> wrong = temperature_fault(*temperature)) {
            return wrong;
        }
    }
    steered_at_ = temperature;
    // A level not yet begun runs at the new T.
    if (level_.trials == 0) {
        open_level();
    }
    return std::nullopt;
}

void scheduled_run::count(const trial_outcome& outcome) {
    ++trials_made_;
    ++level_.trials;
    if (outcome.accepted) {
        ++(improves(outcome.delta) ? level_.improving : level_.worsening);
    }
}

level_summary scheduled_run::close_level() {
    level_summary closed = level_;
    closed.x = run_.current_x();
    closed.fo = run_.current().fo;
    closed.best_fo = run_.best().fo;
    step_ = next_level(schedule_, step_);
    open_level();
    return closed;
}

trial_step scheduled_run::trial(random_engine& engine) {
    const trial_outcome outcome = run_.trial(level_.temperature, schedule_.acceptance(), engine);
    count(outcome);
    if (level_.trials < schedule_.trials_per_level()) {
        return {outcome, level_, false};
    }
    return {outcome, close_level(), true};
}

level_summary scheduled_run::level(random_engine& engine) {
    while (level_.trials < schedule_.trials_per_level()) {
        count(run_.trial(level_.temperature, schedule_.acceptance(), engine));
    }
    return close_level();
}

void scheduled_run::to_end(random_engine& engine, const level_observer& observe) {
    while (!finished()) {
        const level_summary closed = level(engine);
        if (observe) {
            observe(closed);
        }
    }
}

run_report scheduled_run::report() const {
    return {run_.start_x(), run_.best_x(), run_.best().fo, trials_made_};
}

run_report anneal(const landscape& f, const encoding& enc, const cooling_schedule& schedule,
                  solution& cur, random_engine& engine, const level_observer& observe) {
    scheduled_run run(f, enc, schedule, cur);
    run.to_end(engine, observe);
    cur = run.state().best();
    return run.report();
}

}  // namespace sa
