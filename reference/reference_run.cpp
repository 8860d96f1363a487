#include "reference_run.hpp"

#include <algorithm>
#include <cmath>

#include "objective/objective.hpp"

namespace {

long double literal_bits_to_x(const sa::bit_vector& v, const sa::encoding& enc) {
    int d = 0;
    for (int i = 0; i < enc.n_bits; ++i) {
        if (v[static_cast<std::size_t>(i)] == 1) {
            d = static_cast<int>(std::pow(2.0, enc.n_bits - 1 - i) + d);
        }
    }
    return enc.x_min - (static_cast<long double>(enc.x_min) - enc.x_max) * d / enc.d_max;
}

// Lowers `temperature`, that of level k - 1, to that of level k, as each law defines it.
void lower_to_level(const sa::cooling_schedule& schedule, int k, double& temperature) {
    const double t0 = schedule.t0();
    const double t_final = schedule.t_final();
    if (const auto* linear = std::get_if<sa::linear>(&schedule.law())) {
        const int L = linear->levels;
        temperature = t0 - k * (t0 - t_final) / L;
    } else if (const auto* lundy_mees = std::get_if<sa::lundy_mees>(&schedule.law())) {
        const int L = lundy_mees->levels;
        const double beta = (t0 - t_final) / (L * t0 * t_final);
        temperature = std::max(t_final, temperature / (1 + beta * temperature));
    } else {
        const double alpha = std::get<sa::geometric>(schedule.law()).alpha;
        temperature = static_cast<double>(static_cast<long double>(temperature) * alpha);
    }
}

// Geometric cooling goes on while T is above the final T, the other laws for L levels.
bool goes_on(const sa::cooling_schedule& schedule, int levels, double temperature) {
    if (const auto* linear = std::get_if<sa::linear>(&schedule.law())) {
        return levels < linear->levels;
    }
    if (const auto* lundy_mees = std::get_if<sa::lundy_mees>(&schedule.law())) {
        return levels < lundy_mees->levels;
    }
    return temperature > schedule.t_final();
}

}  // namespace

sa::run_report reference_run(const sa::encoding& enc, const sa::cooling_schedule& schedule,
                             sa::solution& cur, sa::random_engine& engine,
                             std::vector<reference_level>* levels_seen) {
    sa::solution best = cur;
    const auto start_x = static_cast<float>(literal_bits_to_x(cur.bits, enc));
    float best_x = start_x;
    double temperature = schedule.t0();
    int levels = 0;
    while (goes_on(schedule, levels, temperature)) {
        reference_level accepted{0, 0};
        for (int trial = 0; trial < schedule.trials_per_level(); ++trial) {
            const int k = sa::random_int(engine, enc.n_bits);
            const auto x_old = static_cast<float>(literal_bits_to_x(cur.bits, enc));
            sa::flip_bit(cur.bits, k);
            const auto x_new = static_cast<float>(literal_bits_to_x(cur.bits, enc));
            const auto f_new = static_cast<float>(sa::objective(x_new));
            const auto delta = static_cast<float>(f_new - sa::objective(x_old));
            if (delta > 0.0F) {
                ++accepted.improving;
                cur.fo = static_cast<float>(static_cast<long double>(cur.fo) + delta);
                if (cur.fo > best.fo) {
                    best = cur;
                    best_x = x_new;
                }
            } else {
                const auto r = static_cast<double>(sa::random_uniform(engine, 0.0, 1.0));
                const long double exponent = static_cast<long double>(delta) / temperature;
                if (std::exp(static_cast<double>(exponent)) > r) {
                    ++accepted.worsening;
                    cur.fo = static_cast<float>(static_cast<long double>(cur.fo) + delta);
                } else {
                    sa::flip_bit(cur.bits, k);
                }
            }
        }
        if (levels_seen != nullptr) {
            levels_seen->push_back(accepted);
        }
        ++levels;
        lower_to_level(schedule, levels, temperature);
    }
    cur = best;
    return {start_x, best_x, best.fo,
            static_cast<std::int64_t>(levels) * schedule.trials_per_level()};
}
