#include "annealing/annealing.hpp"

namespace sa {

schedule_params demo_schedule(const encoding& enc) {
    // Single-precision constants, widened: 0.97 passes as 0.9700000286102295.
    constexpr float t0 = 100.0F;
    constexpr float t_final = 0.1F;
    constexpr float alpha = 0.97F;
    return {t0, t_final, geometric{alpha}, enc.n_bits / 2};
}

bool runs_level(const schedule_params& schedule, const cooling_step& step) {
    return std::visit([&](const auto& law) { return law.runs(step, schedule.span()); },
                      schedule.law);
}

cooling_step next_level(const schedule_params& schedule, const cooling_step& step) {
    const double temperature =
        std::visit([&](const auto& law) { return law.next(step, schedule.span()); }, schedule.law);
    return {step.level + 1, temperature};
}

std::int64_t count_levels(const schedule_params& schedule) {
    return std::visit([&](const auto& law) { return law.exact_levels(schedule.span()); },
                      schedule.law);
}

std::int64_t trials_per_run(const schedule_params& schedule) {
    return count_levels(schedule) * schedule.trials_per_level;
}

double estimated_trials_per_run(const schedule_params& schedule) {
    const double levels = std::visit(
        [&](const auto& law) { return law.estimated_levels(schedule.span()); }, schedule.law);
    return levels * schedule.trials_per_level;
}

}  // namespace sa
