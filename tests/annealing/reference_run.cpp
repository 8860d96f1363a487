#include "reference_run.hpp"

#include <cmath>
#include <vector>

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

reference_outcome reference_run(int n, int d_max, std::int32_t* cur, float& fo, double alpha,
                                double t0, double t_final, int trials_per_level, float x_min,
                                float x_max) {
    std::vector<std::int32_t> best(cur, cur + n);
    float best_fo = fo;
    const auto start_x = static_cast<float>(bits_to_x(cur, d_max, n, x_min, x_max));
    float best_x = start_x;
    double temperature = t0;
    int levels = 0;
    while (temperature > t_final) {
        for (int trial = 0; trial < trials_per_level; ++trial) {
            const int k = random_int(n);
            const auto x_old = static_cast<float>(bits_to_x(cur, d_max, n, x_min, x_max));
            flip_bit(cur, k);
            const auto x_new = static_cast<float>(bits_to_x(cur, d_max, n, x_min, x_max));
            const auto f_new = static_cast<float>(objective(x_new));
            const auto delta = static_cast<float>(f_new - objective(x_old));
            if (delta > 0.0F) {
                fo = static_cast<float>(static_cast<long double>(fo) + delta);
                if (fo > best_fo) {
                    best.assign(cur, cur + n);
                    best_fo = fo;
                    best_x = x_new;
                }
            } else {
                const auto r = static_cast<double>(random_uniform(0.0, 1.0));
                const long double exponent = static_cast<long double>(delta) / temperature;
                if (std::exp(static_cast<double>(exponent)) > r) {
                    fo = static_cast<float>(static_cast<long double>(fo) + delta);
                } else {
                    flip_bit(cur, k);
                }
            }
        }
        temperature = static_cast<double>(static_cast<long double>(temperature) * alpha);
        ++levels;
    }
    copy_bits(best.data(), cur, n);
    fo = best_fo;
    return {start_x, best_x, best_fo, static_cast<long>(levels) * trials_per_level};
}
