#include <algorithm>
#include <iterator>

#include "annealing/annealing.hpp"

namespace sa {

schedule_params demo_schedule(const encoding& enc) {
    // Single-precision constants, widened: 0.97 passes as 0.9700000286102295.
    constexpr float t0 = 100.0F;
    constexpr float t_final = 0.1F;
    constexpr float alpha = 0.97F;
    return {t0, t_final, alpha, enc.n_bits / 2};
}

double cool(double temperature, double alpha) {
    return static_cast<double>(extended(static_cast<long double>(temperature) * alpha));
}

namespace {

// The linear law's level temperatures follow from the level number rather than from the
// previous level, so rounding errors do not pile up over the levels.
double linear_temperature(const schedule_params& schedule, std::int64_t level) {
    return schedule.t0 -
           static_cast<double>(level) * (schedule.t0 - schedule.t_final) / schedule.levels;
}

// The beta that brings Lundy-Mees cooling from T0 to the final T in exactly L steps: the
// inverse temperature grows by beta at each.
double lundy_mees_beta(const schedule_params& schedule) {
    return (schedule.t0 - schedule.t_final) / (schedule.levels * schedule.t0 * schedule.t_final);
}

}  // namespace

bool runs_level(const schedule_params& schedule, const cooling_step& step) {
    if (schedule.law == cooling_law::geometric) {
        return step.temperature > schedule.t_final;
    }
    return step.level < schedule.levels;
}

cooling_step next_level(const schedule_params& schedule, const cooling_step& step) {
    const std::int64_t next = step.level + 1;
    switch (schedule.law) {
        case cooling_law::linear:
            return {next, linear_temperature(schedule, next)};
        case cooling_law::lundy_mees:
            return {next, step.temperature / (1.0 + lundy_mees_beta(schedule) * step.temperature)};
        case cooling_law::geometric:
            break;
    }
    return {next, cool(step.temperature, schedule.alpha)};
}

std::int64_t count_levels(const schedule_params& schedule) {
    if (schedule.law != cooling_law::geometric) {
        // Exactly L levels, whatever their temperatures: no need to walk them.
        return std::max(schedule.levels, 0);
    }
    return std::ranges::distance(levels_of(schedule));
}

std::int64_t trials_per_run(const schedule_params& schedule) {
    return count_levels(schedule) * schedule.trials_per_level;
}

}  // namespace sa
