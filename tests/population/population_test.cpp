#include "population/population.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "support/schedules.hpp"

namespace {

// The hill whose basin holds d, by the ranges alone.
std::size_t hill_holding(const std::vector<sa::hill>& hills, int d) {
    for (std::size_t h = 0; h < hills.size(); ++h) {
        if (hills[h].basin.first >= 0 && hills[h].basin.contains(d)) {
            return h;
        }
    }
    ADD_FAILURE() << "no basin holds " << d;
    return 0;
}

double sum(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0);
}

// A schedule as the front ends read it, its values in single precision.
sa::study_case case_of(float t0, float alpha, float t_final, int bits) {
    return {schedule_of(t0, t_final, sa::geometric{alpha}, bits / 2), bits};
}

// A population split into shares, each run on its own (as a worker of the page runs it) and
// added up, is the population found in one go, to the last bit of every figure: over cases,
// counts of workers, and more workers than levels or runs. Every run and every level's
// equilibrium lies in exactly one share.
TEST(Population, SharesAddUpToTheWholePopulation) {
    constexpr int bins = 23;
    const std::vector<std::pair<sa::study_case, sa::seed_range>> cases = {
        {case_of(1.0F, 0.9F, 0.001F, 10), {3, 0, 101}},
        {case_of(1.0F, 0.5F, 0.1F, 8), {4'294'967'290U, 17, 12}},
        {{schedule_of(2.0, 0.01, sa::geometric{0.8}, 3, sa::continuous_acceptance{}), 11},
         {5, 0, 2}},
    };
    for (const auto& [study, runs] : cases) {
        const sa::tabulated_space space(sa::demo_landscape(),
                                        sa::demo_landscape().grid(study.bits));
        const sa::population_study whole = sa::study_population(space, study, bins, runs, 2);
        for (const int workers : {1, 2, 3, 7, 40}) {
            std::vector<sa::population_part> parts;
            long runs_held = 0;
            std::int64_t levels_held = 0;
            for (const sa::population_share& share : sa::split_population(study, runs, workers)) {
                EXPECT_EQ(share.runs.first, runs.first + static_cast<std::uint64_t>(runs_held));
                EXPECT_EQ(share.levels.first, levels_held);
                runs_held += share.runs.count;
                levels_held += share.levels.count;
                parts.push_back(sa::study_population_share(space, study, bins, share, 1));
            }
            EXPECT_EQ(runs_held, runs.count);
            EXPECT_EQ(levels_held, static_cast<std::int64_t>(whole.levels.size()));
            const sa::population_study added =
                sa::whole_population(study, runs.count, sa::hills_of(space), parts);
            ASSERT_EQ(added.levels.size(), whole.levels.size());
            for (std::size_t l = 0; l < whole.levels.size(); ++l) {
                const sa::population_level& a = added.levels[l];
                const sa::population_level& w = whole.levels[l];
                const std::string where = std::to_string(workers) + " workers, level " +
                                          std::to_string(l) + " of " + sa::describe_case(study);
                EXPECT_EQ(a.level, w.level) << where;
                EXPECT_EQ(a.temperature, w.temperature) << where;
                EXPECT_EQ(a.hill_runs, w.hill_runs) << where;
                EXPECT_EQ(a.bin_runs, w.bin_runs) << where;
                EXPECT_EQ(a.hill_mass, w.hill_mass) << where;
                EXPECT_EQ(a.bin_mass, w.bin_mass) << where;
                EXPECT_EQ(a.tv_distance, w.tv_distance) << where;
            }
        }
    }
}

// The runs' counts at every level are where runs made one at a time by scheduled_run stand,
// level by level, on any number of threads; at every level the equilibrium's masses add up
// to 1, and the distance is half the sum of the differences of the shares.
TEST(Population, EveryLevelCountsTheRunsAsRunsMadeOneAtATimeStand) {
    constexpr int bins = 37;
    for (const auto& [study, seed] : {std::pair{case_of(1.0F, 0.9F, 0.001F, 10), 3U},
                                      std::pair{case_of(5.0F, 0.8F, 0.01F, 13), 1765000000U}}) {
        const sa::tabulated_space space(sa::demo_landscape(),
                                        sa::demo_landscape().grid(study.bits));
        const sa::seed_range runs{seed, 0, 23};
        const sa::population_study population = sa::study_population(space, study, bins, runs, 2);
        const std::int64_t levels = sa::count_levels(study.schedule);
        ASSERT_EQ(static_cast<std::int64_t>(population.levels.size()), levels);
        EXPECT_EQ(population.hills.size(), 11U);

        std::vector<std::vector<long>> hill_runs(static_cast<std::size_t>(levels),
                                                 std::vector<long>(population.hills.size()));
        std::vector<std::vector<long>> bin_runs(static_cast<std::size_t>(levels),
                                                std::vector<long>(bins));
        const sa::encoding& enc = space.grid_encoding();
        for (long i = 0; i < runs.count; ++i) {
            sa::random_engine engine(static_cast<std::uint32_t>(seed + i));
            const sa::solution start = sa::random_solution(sa::demo_landscape(), enc, engine);
            sa::scheduled_run run(sa::demo_landscape(), enc, study.schedule, start);
            for (std::size_t level = 0; !run.finished(); ++level) {
                run.level(engine);
                const int d = sa::decode_bits(run.state().current().bits);
                ++hill_runs[level][hill_holding(population.hills, d)];
                ++bin_runs[level][static_cast<std::size_t>(sa::bin_of(space.x_at(d), enc, bins))];
            }
        }
        for (std::size_t level = 0; level < population.levels.size(); ++level) {
            const sa::population_level& shown = population.levels[level];
            SCOPED_TRACE(testing::Message() << study.bits << " bits, level " << level);
            EXPECT_EQ(shown.level, static_cast<std::int64_t>(level));
            EXPECT_EQ(shown.hill_runs, hill_runs[level]);
            EXPECT_EQ(shown.bin_runs, bin_runs[level]);
            EXPECT_NEAR(sum(shown.hill_mass), 1.0, 1e-12);
            EXPECT_NEAR(sum(shown.bin_mass), 1.0, 1e-12);
            double distance = 0.0;
            for (std::size_t h = 0; h < shown.hill_runs.size(); ++h) {
                distance += std::fabs(static_cast<double>(shown.hill_runs[h]) /
                                          static_cast<double>(runs.count) -
                                      shown.hill_mass[h]);
            }
            EXPECT_NEAR(shown.tv_distance, distance / 2.0, 1e-15);
        }
    }
}

// Hot, every point weighs nearly the same, so a hill's mass is its basin's share of the grid;
// cooled slowly, the runs follow the equilibrium; quenched, they freeze on lower hills, far
// from it. (Cooled on below T 0.1, even slowly cooled runs stay on the second hill at x = 0+,
// where any flip leads down or far away: the grid's middle, where the first digit changes.)
TEST(Population, TheEquilibriumHotAndTheRunsCooledSlowlyOrQuenched) {
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(12));
    const sa::seed_range runs{1, 0, 400};
    const sa::population_study hot =
        sa::study_population(space, case_of(1e6F, 0.5F, 2e5F, 12), 10, runs, 1);
    const double points = 4096.0;
    for (std::size_t h = 0; h < hot.hills.size(); ++h) {
        const sa::peak_range& basin = hot.hills[h].basin;
        const double share =
            basin.first < 0 ? 0.0 : static_cast<double>(basin.last - basin.first + 1) / points;
        EXPECT_NEAR(hot.levels.front().hill_mass[h], share, 1e-6 * share) << h;
    }

    const sa::population_study slow =
        sa::study_population(space, case_of(1.0F, 0.999F, 0.1F, 12), 10, runs, 2);
    const sa::population_study quench =
        sa::study_population(space, case_of(1.0F, 0.5F, 0.1F, 12), 10, runs, 2);
    EXPECT_LT(slow.levels.back().tv_distance, 0.08);
    EXPECT_GT(quench.levels.back().tv_distance, 0.25);
}

// The same exp on every target, within a few units of the last place of the library's; 0 for
// the rules and the equilibrium below -708, as they have always had it.
TEST(Population, PortableExpFollowsExp) {
    double worst = 0.0;
    for (int i = 0; i <= 200'000; ++i) {
        const double y = -708.0 * i / 200'000.0;
        const double exact = std::exp(y);
        worst = std::max(worst, std::fabs(sa::portable_exp(y) - exact) / exact);
    }
    EXPECT_LT(worst, 4e-16);
    EXPECT_EQ(sa::portable_exp(0.0), 1.0);
    EXPECT_EQ(sa::boltzmann_exp(-709.0), 0.0);
    EXPECT_EQ(sa::boltzmann_exp(-INFINITY), 0.0);
}

// A population follows at most 10,000 levels, and 10^9 grid points over all of them.
TEST(Population, ItsCostIsBounded) {
    EXPECT_FALSE(sa::population_fault(case_of(100.0F, 0.999F, 0.1F, 17)));  // 6905 levels
    const std::optional<sa::fault> finer = sa::population_fault(case_of(100.0F, 0.999F, 0.1F, 18));
    ASSERT_TRUE(finer);
    EXPECT_EQ(finer->kind, sa::fault_kind::population_too_large);
    EXPECT_EQ(finer->shown, "6905 levels of 262144 grid points");
    const std::optional<sa::fault> longer = sa::population_fault(case_of(100.0F, 0.9999F, 0.1F, 8));
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->shown, "about 69063 levels");
    EXPECT_EQ(longer->limit, "10,000 levels");
    // Each cap on both sides: 10,000 levels, and 7629 levels of 131,072 points (999,948,288)
    // against 7630 (1,000,079,360).
    const auto linear = [](int levels, int bits) {
        return sa::study_case{schedule_of(1.0, 0.001, sa::linear{levels}, 1), bits};
    };
    const struct {
        sa::study_case study;
        const char* refused;  // as shown, or nothing for a population it follows
    } caps[] = {
        {linear(10'000, 16), nullptr},
        {linear(10'001, 16), "10001 levels"},
        {linear(7629, 17), nullptr},
        {linear(7630, 17), "7630 levels of 131072 grid points"},
    };
    for (const auto& cap : caps) {
        const std::optional<sa::fault> wrong = sa::population_fault(cap.study);
        EXPECT_EQ(wrong ? wrong->shown : "", cap.refused ? cap.refused : "");
    }
}

}  // namespace
