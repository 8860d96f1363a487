#include <cmath>

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

namespace {

float x_of(const std::int32_t* v, int d_max, int n, float x_min, float x_max) {
    return static_cast<float>(bits_to_x(v, d_max, n, x_min, x_max));
}

// The running value follows the accepted changes; it is never recomputed from the vector.
float add_change(float fo, float delta) {
    return static_cast<float>(static_cast<long double>(fo) + delta);
}

// Metropolis rule for a move that does not improve: accept with probability exp(delta / T).
// The draw is taken for every such move, so the random sequence does not depend on delta.
bool accepts_worse_move(float delta, double temperature) {
    const auto r = static_cast<double>(random_uniform(0.0, 1.0));
    return std::exp(static_cast<double>(static_cast<long double>(delta) / temperature)) > r;
}

double cool(double temperature, double alpha) {
    return static_cast<double>(static_cast<long double>(temperature) * alpha);
}

}  // namespace

annealing_outcome anneal(int n, int d_max, std::int32_t* cur, float& fo, double alpha, double t0,
                         double t_final, int trials_per_level, float x_min, float x_max) {
    std::int32_t* best = alloc_bits(n);
    clear_bits(best, n);
    copy_bits(cur, best, n);
    float best_fo = fo;
    const float start_x = x_of(cur, d_max, n, x_min, x_max);
    float best_x = start_x;

    int levels = 0;
    for (double temperature = t0; temperature > t_final; temperature = cool(temperature, alpha)) {
        for (int trial = 0; trial < trials_per_level; ++trial) {
            const int k = random_int(n);
            const float x_old = x_of(cur, d_max, n, x_min, x_max);
            flip_bit(cur, k);
            const float x_new = x_of(cur, d_max, n, x_min, x_max);
            const auto f_new = static_cast<float>(objective(x_new));
            // The old value enters unrounded; only the difference is rounded.
            const auto delta = static_cast<float>(f_new - objective(x_old));
            if (delta > 0.0F) {
                fo = add_change(fo, delta);
                if (fo > best_fo) {
                    copy_bits(cur, best, n);
                    best_fo = fo;
                    best_x = x_new;
                }
            } else if (accepts_worse_move(delta, temperature)) {
                fo = add_change(fo, delta);
            } else {
                flip_bit(cur, k);
            }
        }
        ++levels;
    }

    copy_bits(best, cur, n);
    fo = best_fo;
    free_bits(best);
    return {start_x, best_x, best_fo, static_cast<long>(levels) * trials_per_level};
}
