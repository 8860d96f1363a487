#include "annealing/annealing.hpp"
#include "console/console.hpp"

void annealing_option(int n_bits, int d_max, std::int32_t* cur, float& fo, float x_min,
                      float x_max) {
    // Single-precision constants, widened to double as they are passed.
    constexpr float alpha = 0.97F;
    constexpr float t0 = 100.0F;
    constexpr float t_final = 0.1F;
    const int trials_per_level = n_bits / 2;
    simulated_annealing(n_bits, d_max, cur, fo, alpha, t0, t_final, trials_per_level, x_min, x_max);
}
