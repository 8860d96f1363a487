// The chain the runs follow at a fixed temperature, written out as its exact transition matrix
// on small grids, and its stationary distribution found by GTH elimination (Grassmann, Taksar
// and Heyman), which subtracts nothing and so keeps every digit: under continuous acceptance it
// is Boltzmann's distribution of the grid's values; under the demo's it is not, once the
// temperature is low. And the library's runs are this very chain: a population's shares at its
// last level lie within 4 standard errors of the start pushed through the matrices level by
// level.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "population/population.hpp"
#include "support/schedules.hpp"

namespace {

using matrix = std::vector<std::vector<double>>;

// The chance that a draw of the engine, uniform on 32 bits, is `value` modulo `base`.
double chance_of_remainder(std::uint64_t value, std::uint64_t base) {
    constexpr std::uint64_t draws = std::uint64_t{1} << 32U;
    return static_cast<double>((draws - 1 - value) / base + 1) / static_cast<double>(draws);
}

// The chance that a rule takes a move of change delta, which does not improve, at T.
double acceptance_chance(const sa::tabulated_space& space, const sa::acceptance& rule, float delta,
                         double temperature) {
    if (std::holds_alternative<sa::demo_acceptance>(rule)) {
        double chance = 0.0;
        for (int point = 0; point < sa::uniform_grid_points; ++point) {
            if (sa::reaches_threshold(delta, temperature, space.threshold(point))) {
                chance +=
                    chance_of_remainder(static_cast<std::uint64_t>(point), sa::uniform_grid_points);
            }
        }
        return chance;
    }
    // r = k 2^-53 for k uniform below 2^53: the move is taken for the k below p 2^53.
    const double p = sa::boltzmann_exp(static_cast<double>(delta) / temperature);
    return std::min(1.0, std::ceil(p * 0x1p53) * 0x1p-53);
}

// The chance of each move of a run: a digit drawn, its flip taken or not, a move that does not
// improve with the chance `taken_worse` gives its change.
template <typename Chance>
matrix transitions_by(const sa::tabulated_space& space, const Chance& taken_worse) {
    const sa::encoding& enc = space.grid_encoding();
    const auto n = static_cast<std::size_t>(enc.d_max) + 1;
    matrix p(n, std::vector<double>(n, 0.0));
    for (int d = 0; d <= enc.d_max; ++d) {
        for (int k = 0; k < enc.n_bits; ++k) {
            const double chosen = chance_of_remainder(static_cast<std::uint64_t>(k),
                                                      static_cast<std::uint64_t>(enc.n_bits));
            const int candidate = sa::decoded_after_flip(d, enc.n_bits, k);
            const float delta =
                sa::tabulated_change(space.rounded_at(candidate), space.value_at(d));
            const double taken = sa::improves(delta) ? 1.0 : taken_worse(delta);
            p[static_cast<std::size_t>(d)][static_cast<std::size_t>(candidate)] += chosen * taken;
            p[static_cast<std::size_t>(d)][static_cast<std::size_t>(d)] += chosen * (1.0 - taken);
        }
    }
    return p;
}

// The chance of each move of a run at T under `rule`.
matrix transitions(const sa::tabulated_space& space, const sa::acceptance& rule,
                   double temperature) {
    return transitions_by(
        space, [&](float delta) { return acceptance_chance(space, rule, delta, temperature); });
}

// The stationary distribution of an irreducible chain, by GTH elimination.
std::vector<double> stationary(matrix p) {
    const std::size_t n = p.size();
    for (std::size_t k = n - 1; k > 0; --k) {
        const double leaving =
            std::accumulate(p[k].begin(), p[k].begin() + static_cast<long>(k), 0.0);
        for (std::size_t i = 0; i < k; ++i) {
            p[i][k] /= leaving;
        }
        for (std::size_t i = 0; i < k; ++i) {
            if (p[i][k] != 0.0) {
                for (std::size_t j = 0; j < k; ++j) {
                    p[i][j] += p[i][k] * p[k][j];
                }
            }
        }
    }
    std::vector<double> pi(n, 0.0);
    pi[0] = 1.0;
    for (std::size_t k = 1; k < n; ++k) {
        for (std::size_t i = 0; i < k; ++i) {
            pi[k] += pi[i] * p[i][k];
        }
    }
    const double total = std::accumulate(pi.begin(), pi.end(), 0.0);
    for (double& each : pi) {
        each /= total;
    }
    return pi;
}

// exp(f(d) / T) normalised, of the grid's values.
std::vector<double> boltzmann(const sa::tabulated_space& space, double temperature) {
    const int d_max = space.grid_encoding().d_max;
    long double highest = -INFINITY;
    for (int d = 0; d <= d_max; ++d) {
        highest = std::max(highest, space.value_at(d).unrounded());
    }
    std::vector<long double> weights;
    long double total = 0.0L;
    for (int d = 0; d <= d_max; ++d) {
        weights.push_back(std::exp((space.value_at(d).unrounded() - highest) / temperature));
        total += weights.back();
    }
    std::vector<double> pi;
    for (const long double weight : weights) {
        pi.push_back(static_cast<double>(weight / total));
    }
    return pi;
}

// The mass of each hill's basin.
std::vector<double> hill_masses(const std::vector<sa::hill>& hills, const std::vector<double>& pi) {
    std::vector<double> masses;
    for (const sa::hill& h : hills) {
        double mass = 0.0;
        for (int d = h.basin.first; h.basin.first >= 0 && d <= h.basin.last; ++d) {
            mass += pi[static_cast<std::size_t>(d)];
        }
        masses.push_back(mass);
    }
    return masses;
}

double total_variation(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum += std::fabs(a[i] - b[i]);
    }
    return sum / 2.0;
}

const sa::acceptance demo = sa::demo_acceptance{};
const sa::acceptance continuous = sa::continuous_acceptance{};

// Under continuous acceptance the chain's equilibrium is Boltzmann's, wherever every worse
// move's exp(delta / T) is 2^-53 or more (see the next test), to within what the
// rounding of each change to single precision moves it (a change and the change back differ by
// up to a unit of a float's last place, 1.2e-7 near 1.5, so that the weights may drift by that
// over T on each move); under the demo's it is not, once T is low: r = 0, drawn once in 10,000,
// takes every worse move whose exp(delta / T) is not 0.
TEST(Chain, ItsEquilibriumIsBoltzmannsUnderContinuousAcceptanceAlone) {
    struct grid_case {
        int bits;
        double temperature;
        double demo_distance;  // at least, between the demo's equilibrium and Boltzmann's
    };
    for (const grid_case& test :
         {grid_case{6, 0.2, 0.0}, grid_case{6, 0.05, 0.2}, grid_case{8, 0.1, 0.02},
          grid_case{8, 0.05, 0.2}, grid_case{10, 0.1, 0.02}}) {
        const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(test.bits));
        const std::vector<double> expected = boltzmann(space, test.temperature);
        const std::vector<double> of_continuous =
            stationary(transitions(space, continuous, test.temperature));
        const std::vector<double> of_demo = stationary(transitions(space, demo, test.temperature));
        const double bound = 8 * 1.2e-7 / test.temperature;
        EXPECT_LT(total_variation(of_continuous, expected), bound)
            << test.bits << " bits, T " << test.temperature;
        EXPECT_GE(total_variation(of_demo, expected), test.demo_distance)
            << test.bits << " bits, T " << test.temperature;
        const std::vector<sa::hill> hills = sa::hills_of(space);
        std::printf(
            "%d bits, T %g: global hill %.4f continuous, %.4f demo, %.4f Boltzmann; "
            "distance %.2g continuous, %.3f demo\n",
            test.bits, test.temperature, hill_masses(hills, of_continuous)[0],
            hill_masses(hills, of_demo)[0], hill_masses(hills, expected)[0],
            total_variation(of_continuous, expected), total_variation(of_demo, expected));
    }
}

// Continuous acceptance resolves r to 2^-53: r = 0 takes a move however small its exp(delta / T),
// so that below 2^-53 (delta / T below -36.7) the move is taken once in 2^53 tries rather than
// almost never. On the 8-bit grid at T 0.02 some moves lie there, and the chain's equilibrium
// leaves Boltzmann's; with the chance exp(delta / T) itself it is Boltzmann's again. (No run
// lasts the 10^16 trials that would show it: in a run, the chain is as good as Metropolis's.)
TEST(Chain, ContinuousAcceptanceFloorsTheChanceOfAMoveAt2ToTheMinus53) {
    constexpr double temperature = 0.02;
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(8));
    const std::vector<double> expected = boltzmann(space, temperature);
    const std::vector<double> floored = stationary(transitions(space, continuous, temperature));
    const std::vector<double> unfloored = stationary(transitions_by(space, [](float delta) {
        return sa::portable_exp(static_cast<double>(delta) / temperature);
    }));
    EXPECT_GT(total_variation(floored, expected), 0.5);
    EXPECT_LT(total_variation(unfloored, expected), 8 * 1.2e-7 / temperature);
}

// A population held near T 0.1 for 40,000 trials: its runs stand, at the last level, as the
// chain's matrices carry the start (uniform, as random_solution draws it) through every level's
// trials, within 4 standard errors on each hill, under either rule. By then the chain has all
// but reached its equilibrium, which under the demo's rule is not Boltzmann's: its runs stand
// more than 4 standard errors off Boltzmann's share of the global hill, and the continuous
// rule's within them.
TEST(Chain, APopulationsRunsAreTheChainsSteps) {
    constexpr int bits = 6;
    constexpr int levels = 4;
    constexpr int trials = 10000;
    constexpr long runs = 1500;
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(bits));
    for (const sa::acceptance& rule : {demo, continuous}) {
        const sa::study_case study{schedule_of(0.1000001, 0.1, sa::linear{levels}, trials, rule),
                                   bits};
        const sa::population_study population =
            sa::study_population(space, study, 10, {11, 0, runs}, 2);
        const auto points = static_cast<std::size_t>(space.grid_encoding().d_max) + 1;
        std::vector<double> standing(points, 1.0 / static_cast<double>(points));
        for (const double t : sa::levels_of(study.schedule)) {
            // Each point moves to itself or a neighbour: the matrix's few entries, by row.
            const matrix p = transitions(space, rule, t);
            std::vector<std::vector<std::pair<std::size_t, double>>> moves(p.size());
            for (std::size_t d = 0; d < p.size(); ++d) {
                for (std::size_t c = 0; c < p.size(); ++c) {
                    if (p[d][c] != 0.0) {
                        moves[d].emplace_back(c, p[d][c]);
                    }
                }
            }
            for (int trial = 0; trial < trials; ++trial) {
                std::vector<double> next(standing.size(), 0.0);
                for (std::size_t d = 0; d < standing.size(); ++d) {
                    for (const auto& [c, chance] : moves[d]) {
                        next[c] += standing[d] * chance;
                    }
                }
                standing = next;
            }
        }
        std::printf("%s: %.4f from its equilibrium after %d trials\n", sa::spelling_of(rule).name,
                    total_variation(standing, stationary(transitions(space, rule, 0.1))),
                    levels * trials);
        const std::vector<double> expected = hill_masses(population.hills, standing);
        const std::vector<double> boltzmann_masses =
            hill_masses(population.hills, boltzmann(space, 0.1));
        const sa::population_level& last = population.levels.back();
        for (std::size_t h = 0; h < expected.size(); ++h) {
            const double share = static_cast<double>(last.hill_runs[h]) / runs;
            const double error = std::sqrt(expected[h] * (1.0 - expected[h]) / runs);
            EXPECT_LE(std::fabs(share - expected[h]), 4.0 * error + 1e-12)
                << sa::spelling_of(rule).name << ", hill " << h;
        }
        const double global_share = static_cast<double>(last.hill_runs[0]) / runs;
        const double global_error =
            std::sqrt(boltzmann_masses[0] * (1 - boltzmann_masses[0]) / runs);
        EXPECT_EQ(std::fabs(global_share - boltzmann_masses[0]) > 4.0 * global_error,
                  std::holds_alternative<sa::demo_acceptance>(rule))
            << sa::spelling_of(rule).name;
    }
}

// Each level's equilibrium is Boltzmann's at that level's own temperature, found here with the
// library's exp left aside, on a schedule whose temperature halves from one level to the next.
TEST(Chain, EachLevelsEquilibriumIsAtItsOwnTemperature) {
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(8));
    const sa::study_case study{schedule_of(2.0, 0.01, sa::geometric{0.5}, 4), 8};
    const sa::population_study population = sa::study_population(space, study, 10, {3, 0, 20}, 1);
    ASSERT_EQ(population.levels.size(), 8U);
    for (const sa::population_level& level : population.levels) {
        const std::vector<double> masses =
            hill_masses(population.hills, boltzmann(space, level.temperature));
        for (std::size_t h = 0; h < masses.size(); ++h) {
            EXPECT_NEAR(level.hill_mass[h], masses[h], 1e-12)
                << "level " << level.level << ", hill " << h;
        }
    }
}

}  // namespace
