#include <algorithm>
#include <cmath>
#include <numeric>

#include "plan/plan.hpp"

namespace sa {

namespace {

// The exponent 1/p of Ben-Ameur's step. With p = 1 the step lands at once where the
// acceptance falls as exp(-c / T), the shape a sample of similar moves gives.
constexpr double step_exponent = 1.0;

// How close to its target the acceptance is brought, relative to the target, so that a small
// one is met as closely as a large one.
constexpr double acceptance_tolerance = 1e-4;
constexpr int iteration_limit = 100;

bool is_probability(double chi) {
    return chi > 0.0 && chi < 1.0;
}

// Where the iteration starts: the T at which the mean worsening is accepted with probability
// chi (Johnson et al. 1989).
double mean_change_temperature(const move_sample& sample, double chi) {
    const double sum = std::accumulate(
        sample.worsening.begin(), sample.worsening.end(), 0.0,
        [](double total, const worsening_move& move) { return total + move.change; });
    return sum / static_cast<double>(sample.worsening.size()) / std::log(chi);
}

chosen_temperature choice_from(const move_sample& sample, double temperature, double acceptance) {
    return {temperature, acceptance, 0, sample.drawn, static_cast<int>(sample.worsening.size())};
}

}  // namespace

move_sample sample_moves(const landscape& f, const encoding& enc, random_engine& engine,
                         int moves) {
    move_sample sample{moves, {}};
    for (int i = 0; i < moves; ++i) {
        const int d = random_int(engine, enc.d_max + 1);
        const int k = random_int(engine, enc.n_bits);
        const long double start = f.value(x_at(d, enc));
        const auto candidate =
            static_cast<float>(f.value(x_at(decoded_after_flip(d, enc.n_bits, k), enc)));
        const float change = rounded_change(candidate, start);
        if (change < 0.0F) {
            sample.worsening.push_back({static_cast<float>(start), change});
        }
    }
    return sample;
}

double estimated_acceptance(const move_sample& sample, double temperature) {
    if (sample.worsening.empty()) {
        return 0.0;
    }
    // Weights relative to the highest start, so that none overflows when T is small.
    const float highest = std::max_element(sample.worsening.begin(), sample.worsening.end(),
                                           [](const worsening_move& a, const worsening_move& b) {
                                               return a.start_value < b.start_value;
                                           })
                              ->start_value;
    double accepted = 0.0;
    double weights = 0.0;
    for (const worsening_move& move : sample.worsening) {
        const double weight =
            std::exp((static_cast<double>(move.start_value) - highest) / temperature);
        accepted += weight * std::exp(acceptance_exponent(move.change, temperature));
        weights += weight;
    }
    return accepted / weights;
}

std::optional<chosen_temperature> initial_temperature(const move_sample& sample, double chi) {
    if (sample.worsening.empty() || !is_probability(chi)) {
        return std::nullopt;
    }
    const double start = mean_change_temperature(sample, chi);
    chosen_temperature chosen = choice_from(sample, start, estimated_acceptance(sample, start));
    // An acceptance of 0 or 1 has no step: its logarithm would make T infinite or 0.
    while (std::fabs(chosen.acceptance - chi) > acceptance_tolerance * chi &&
           is_probability(chosen.acceptance) && chosen.iterations < iteration_limit) {
        chosen.temperature *= std::pow(std::log(chosen.acceptance) / std::log(chi), step_exponent);
        chosen.acceptance = estimated_acceptance(sample, chosen.temperature);
        ++chosen.iterations;
    }
    return chosen;
}

std::optional<chosen_temperature> final_temperature(const move_sample& sample, double chi) {
    if (sample.worsening.empty() || !is_probability(chi)) {
        return std::nullopt;
    }
    const float smallest = std::max_element(sample.worsening.begin(), sample.worsening.end(),
                                            [](const worsening_move& a, const worsening_move& b) {
                                                return a.change < b.change;
                                            })
                               ->change;
    const double temperature = static_cast<double>(smallest) / std::log(chi);
    return choice_from(sample, temperature, std::exp(acceptance_exponent(smallest, temperature)));
}

automatic_temperatures choose_temperatures(const landscape& f, std::uint32_t seed,
                                           const temperature_wishes& wishes, int bits) {
    random_engine engine(seed);
    const move_sample sample = sample_moves(f, f.grid(bits), engine);
    automatic_temperatures chosen{bits, std::nullopt, std::nullopt};
    if (wishes.t0_chi) {
        chosen.t0 = initial_temperature(sample, *wishes.t0_chi);
    }
    if (wishes.t_final_chi) {
        chosen.t_final = final_temperature(sample, *wishes.t_final_chi);
    }
    return chosen;
}

}  // namespace sa
