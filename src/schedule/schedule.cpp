// A schedule's values checked against their limits, the schedule made only from values that
// pass, and the walk through its levels: the temperatures, the count and the trials of a run.

#include "schedule/schedule.hpp"

#include <cmath>

#include "text/text.hpp"

namespace sa {

namespace {

// A fault of a value that a message shows as typed.
fault of_value(fault_kind kind, const std::string& shown, std::string limit = "") {
    return {kind, std::nullopt, shown, shown, std::move(limit)};
}

}  // namespace

std::optional<fault> magnitude_fault(double value) {
    // In single precision, as a schedule holds it: a value typed as 1e30 is held as the float
    // nearest to it, a little above.
    if (std::fabs(static_cast<float>(value)) <= static_cast<float>(max_temperature)) {
        return std::nullopt;
    }
    return of_value(fault_kind::too_large, shortest_double(value), "1e30");
}

std::optional<fault> temperature_fault(double temperature) {
    if (std::optional<fault> wrong = magnitude_fault(temperature)) {
        return wrong;
    }
    if (temperature <= 0.0) {
        return of_value(fault_kind::not_positive, shortest_double(temperature));
    }
    if (static_cast<float>(temperature) == 0.0F) {
        return of_value(fault_kind::rounds_to_zero, shortest_double(temperature));
    }
    return std::nullopt;
}

std::optional<fault> trials_fault(std::int64_t trials_per_level) {
    if (trials_per_level >= 1 && trials_per_level <= max_trials_per_level) {
        return std::nullopt;
    }
    return of_value(fault_kind::out_of_range, std::to_string(trials_per_level),
                    "from 1 to 10^6 trials per level");
}

expected<cooling_schedule> cooling_schedule::make(const temperature_span& span, const cooling& law,
                                                  int trials_per_level,
                                                  const sa::acceptance& rule) {
    if (std::optional<fault> wrong = temperature_fault(span.t0)) {
        return in_field(*wrong, study_field::t0);
    }
    if (std::optional<fault> wrong = temperature_fault(span.t_final)) {
        return in_field(*wrong, study_field::t_final);
    }
    if (span.t0 <= span.t_final) {
        return fault{fault_kind::no_level, study_field::t0, shortest(span.t0), shortest(span.t0),
                     shortest(span.t_final)};
    }
    if (std::optional<fault> wrong = law_fault(law)) {
        return *wrong;
    }
    if (std::optional<fault> wrong = trials_fault(trials_per_level)) {
        return in_field(*wrong, study_field::trials);
    }
    // The levels are walked only where their estimate cannot say on which side of the cap the
    // run lies: a walk of 10^9 levels takes seconds.
    cooling_schedule schedule(span, law, trials_per_level, rule);
    const double estimate = estimated_trials_per_run(schedule);
    const double error = trials_estimate_error(schedule);
    const auto cap = static_cast<double>(max_trials_per_run);
    if (estimate - error > cap ||
        (estimate + error > cap && trials_per_run(schedule) > max_trials_per_run)) {
        return fault{fault_kind::run_too_long, std::nullopt, describe(schedule),
                     format("%.2g", estimate), "10^9"};
    }
    return schedule;
}

std::string describe(const cooling_schedule& schedule) {
    const cooling& law = schedule.law();
    const std::string cooled = takes_alpha(law) ? "alpha " + shortest(alpha_of(law))
                                                : std::string(spelling_of(law).title) + " cooling";
    // The demo's acceptance goes without saying, as the schedules of every report have had it.
    const std::string accepted = std::holds_alternative<demo_acceptance>(schedule.acceptance())
                                     ? ""
                                     : std::string(", ") + spelling_of(schedule.acceptance()).title;
    return format("T0 %s, %s, final T %s, %s per level%s", shortest(schedule.t0()).c_str(),
                  cooled.c_str(), shortest(schedule.t_final()).c_str(),
                  count_of(schedule.trials_per_level(), "trial", "trials").c_str(),
                  accepted.c_str());
}

cooling_schedule demo_schedule(const encoding& enc) {
    // Single-precision constants, widened: 0.97 passes as 0.9700000286102295.
    constexpr float t0 = 100.0F;
    constexpr float t_final = 0.1F;
    constexpr float alpha = 0.97F;
    return *cooling_schedule::make({t0, t_final}, geometric{alpha}, enc.n_bits / 2);
}

bool runs_level(const cooling_schedule& schedule, const cooling_step& step) {
    return std::visit([&](const auto& law) { return law.runs(step, schedule.span()); },
                      schedule.law());
}

cooling_step next_level(const cooling_schedule& schedule, const cooling_step& step) {
    const double temperature = std::visit(
        [&](const auto& law) { return law.next(step, schedule.span()); }, schedule.law());
    return {step.level + 1, temperature};
}

std::int64_t count_levels(const cooling_schedule& schedule) {
    return levels_between(schedule.law(), schedule.span());
}

std::int64_t trials_per_run(const cooling_schedule& schedule) {
    return count_levels(schedule) * schedule.trials_per_level();
}

double trials_estimate_error(const cooling_schedule& schedule) {
    const double levels = std::visit(
        [&](const auto& law) { return law.estimate_error(schedule.span()); }, schedule.law());
    return levels * schedule.trials_per_level();
}

double estimated_trials_per_run(const cooling_schedule& schedule) {
    const double levels = std::visit(
        [&](const auto& law) { return law.estimated_levels(schedule.span()); }, schedule.law());
    return levels * schedule.trials_per_level();
}

}  // namespace sa
