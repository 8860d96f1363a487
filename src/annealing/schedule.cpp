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

std::int64_t count_levels(const schedule_params& schedule) {
    return std::ranges::distance(levels_of(schedule));
}

std::int64_t trials_per_run(const schedule_params& schedule) {
    return count_levels(schedule) * schedule.trials_per_level;
}

}  // namespace sa
