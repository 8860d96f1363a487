#include "annealing/annealing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "annealing/lockstep.hpp"
#include "reference_run.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);
const sa::schedule_params demo_schedule = sa::demo_schedule(demo);

// The grid point of the global maximum, decoded value 48917.
const sa::bit_vector peak = {0, 1, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1};

TEST(Annealing, TheDemoScheduleRuns227LevelsOf8Trials) {
    EXPECT_EQ(demo_schedule.t0, 100.0);
    EXPECT_EQ(demo_schedule.t_final, 0.10000000149011612);
    EXPECT_EQ(demo_schedule.alpha, 0.9700000286102295);
    EXPECT_EQ(demo_schedule.trials_per_level, 8);
    EXPECT_EQ(sa::count_levels(demo_schedule), 227);
}

// Every run, from random starts and under several schedules, must match the plainly written
// run bit for bit: the same solution, report and value, and the engine left in the same
// state. With tables the run must make the very same decisions.
TEST(Annealing, MatchesThePlainStepByStepRun) {
    const sa::search_space direct(demo);
    const sa::search_space tabulated = sa::search_space::tabulated(demo);
    const std::vector<sa::schedule_params> schedules = {
        demo_schedule, {1.0, 1e-5, 0.9, 17}, {1e3, 1e2, 0.5, 3}, {5.0, 1.0, 0.8, 0}};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const sa::schedule_params& schedule = schedules[seed % schedules.size()];
        sa::random_engine start_engine(seed);
        const sa::solution start = sa::random_solution(demo, start_engine);

        sa::solution expected = start;
        sa::random_engine expected_engine(seed * 7919U);
        const sa::run_report want = reference_run(demo, schedule, expected, expected_engine);
        for (const sa::search_space* space : {&direct, &tabulated}) {
            sa::solution cur = start;
            sa::random_engine engine(seed * 7919U);
            const sa::run_report got = sa::anneal(*space, schedule, cur, engine);
            ASSERT_EQ(cur.bits, expected.bits) << "seed " << seed;
            ASSERT_EQ(cur.fo, expected.fo) << "seed " << seed;
            ASSERT_EQ(got.start_x, want.start_x);
            ASSERT_EQ(got.best_x, want.best_x);
            ASSERT_EQ(got.best_fo, want.best_fo);
            ASSERT_EQ(got.analysed, want.analysed);
            ASSERT_EQ(engine, expected_engine) << "seed " << seed;
        }
        ASSERT_EQ(want.best_fo, expected.fo);
        ASSERT_EQ(want.best_x, static_cast<float>(sa::bits_to_x(expected.bits, demo)));
    }
}

// Every tabulated value, rounded and exact, must be the one evaluated on the spot; some
// points' exact values round to double on a midpoint between floats.
TEST(Annealing, TabulatedValuesAreTheEvaluatedOnes) {
    const sa::search_space direct(demo);
    const sa::search_space tabulated = sa::search_space::tabulated(demo);
    for (int d = 0; d <= demo.d_max; ++d) {
        ASSERT_EQ(tabulated.value_at(d).rounded(), direct.value_at(d).rounded()) << d;
        ASSERT_EQ(tabulated.value_at(d).exact(), direct.value_at(d).exact()) << d;
    }
}

// Runs in lockstep must end exactly where anneal() ends them: whole groups and the runs left
// over, on grids of several lengths, under hot and cold schedules.
TEST(Annealing, LockstepRunsEndWhereSingleRunsEnd) {
    struct lockstep_case {
        int bits;
        sa::schedule_params schedule;
        unsigned runs;
    };
    for (const lockstep_case& test :
         {lockstep_case{17, demo_schedule, 203}, lockstep_case{17, {1.0, 1e-5, 0.9, 17}, 41},
          lockstep_case{3, {5.0, 0.01, 0.8, 3}, 6}, lockstep_case{20, {0.5, 1e-4, 0.95, 10}, 25}}) {
        const sa::encoding enc = sa::encoding_with(test.bits, -2.0F, 2.0F);
        const sa::search_space space = sa::search_space::tabulated(enc);
        std::vector<sa::lockstep_run> runs;
        std::vector<sa::solution> ends;
        for (unsigned seed = 1; seed <= test.runs; ++seed) {
            sa::random_engine engine(seed);
            sa::solution cur = sa::random_solution(enc, engine);
            runs.push_back({engine, sa::decode_bits(cur.bits), cur.fo});
            sa::anneal(space, test.schedule, cur, engine);
            ends.push_back(cur);
        }
        sa::anneal_lockstep(space, test.schedule, runs);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            ASSERT_EQ(runs[i].best_d, sa::decode_bits(ends[i].bits))
                << test.bits << " bits, run " << i;
            ASSERT_EQ(runs[i].best_fo, ends[i].fo) << test.bits << " bits, run " << i;
        }
    }
    std::vector<sa::lockstep_run> one = {{sa::random_engine(1), 0, 1.0F}};
    EXPECT_THROW(sa::anneal_lockstep(sa::search_space(demo), demo_schedule, one),
                 std::invalid_argument);
}

// The tabulated rule must accept exactly when exp(delta / T) > r, also for changes on
// either side of the boundary, where exp's rounding decides.
TEST(Annealing, TabulatedAcceptanceDecidesAsExpDoes) {
    const sa::search_space direct(demo);
    const sa::search_space tabulated = sa::search_space::tabulated(demo);
    sa::random_engine picks(2026);
    std::uniform_real_distribution<double> log_temperature(-8.0, 3.0);
    for (int i = 0; i < 200'000; ++i) {
        const double temperature = std::pow(10.0, log_temperature(picks));
        sa::random_engine draw(picks());
        sa::random_engine peek = draw;
        const double r = static_cast<double>(sa::random_uniform(peek, 0.0, 1.0));
        // A change near the boundary T log r, moved by a few representable steps.
        auto delta = static_cast<float>(temperature * std::log(std::max(r, 1e-300)));
        for (int steps = static_cast<int>(picks() % 7U); steps > 0; --steps) {
            delta = std::nextafter(delta, picks() % 2U == 0 ? 0.0F : -1.0F);
        }
        delta = std::min(delta, 0.0F);
        sa::random_engine for_direct = draw;
        sa::random_engine for_table = draw;
        ASSERT_EQ(direct.accepts_worse(delta, temperature, for_direct),
                  tabulated.accepts_worse(delta, temperature, for_table))
            << "delta " << delta << " T " << temperature << " r " << r;
        ASSERT_EQ(for_direct, for_table);
    }
}

TEST(Annealing, ZeroChangeIsAlwaysAccepted) {
    // exp(0) = 1 exceeds every draw of random_uniform(0, 1), which is at most 0.9999.
    for (const sa::search_space& space :
         {sa::search_space(demo), sa::search_space::tabulated(demo)}) {
        sa::random_engine engine(7);
        for (int i = 0; i < 20'000; ++i) {
            ASSERT_TRUE(space.accepts_worse(0.0F, 1e-30, engine));
        }
    }
}

TEST(Annealing, ColdRunFromThePeakRejectsEveryMove) {
    // Near zero temperature every worsening move is rejected and must be undone exactly.
    sa::random_engine engine(3);
    const auto start_fo = static_cast<float>(sa::search_space(demo).value_at(48917).exact());
    sa::solution cur{peak, start_fo};
    const sa::run_report report =
        sa::anneal(sa::search_space(demo), {1e-30, 1e-31, 0.5, 50}, cur, engine);
    EXPECT_EQ(cur.bits, peak);
    EXPECT_EQ(cur.fo, start_fo);
    EXPECT_EQ(report.best_fo, start_fo);
    EXPECT_EQ(report.best_x, report.start_x);
    EXPECT_EQ(report.analysed, 200);
}

TEST(Annealing, ObserverSeesEveryLevelAndTheBestNeverFalls) {
    sa::random_engine engine(11);
    sa::solution cur = sa::random_solution(demo, engine);
    const float start_fo = cur.fo;
    std::vector<sa::level_summary> levels;
    const sa::run_report report =
        sa::anneal(sa::search_space(demo), demo_schedule, cur, engine,
                   [&levels](const sa::level_summary& level) { levels.push_back(level); });
    ASSERT_EQ(levels.size(), 227U);
    float best_so_far = start_fo;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const sa::level_summary& level = levels[i];
        EXPECT_EQ(level.level, static_cast<int>(i));
        EXPECT_EQ(level.trials, 8);
        EXPECT_LE(level.improving + level.worsening, level.trials);
        EXPECT_GE(level.best_fo, best_so_far);
        EXPECT_GE(level.best_fo, level.fo);
        best_so_far = level.best_fo;
    }
    EXPECT_EQ(levels.front().temperature, demo_schedule.t0);
    EXPECT_EQ(levels.back().best_fo, report.best_fo);
    EXPECT_EQ(report.analysed, 1816);
}

}  // namespace
