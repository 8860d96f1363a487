#include "annealing/annealing.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reference_run.hpp"
#include "support/schedules.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);
const sa::cooling_schedule demo_schedule = sa::demo_schedule(demo);

// Every run, from random starts and under several schedules, must match the plainly written
// run bit for bit: the same solution, report and value, the moves each level accepted, and
// the engine left in the same state.
TEST(Annealing, MatchesThePlainStepByStepRun) {
    const std::vector<sa::cooling_schedule> schedules = {
        demo_schedule,
        schedule_of(1.0, 1e-5, sa::geometric{0.9}, 17),
        schedule_of(1e3, 1e2, sa::geometric{0.5}, 3),
        schedule_of(5.0, 1.0, sa::geometric{0.8}, 1),
        schedule_of(1.0, 1e-4, sa::linear{300}, 8),
        schedule_of(2.0, 1e-5, sa::lundy_mees{150}, 17)};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const sa::cooling_schedule& schedule = schedules[seed % schedules.size()];
        sa::random_engine start_engine(seed);
        const sa::solution start = sa::random_solution(sa::demo_landscape(), demo, start_engine);

        sa::solution expected = start;
        sa::random_engine expected_engine(seed * 7919U);
        std::vector<reference_level> want_levels;
        const sa::run_report want =
            reference_run(demo, schedule, expected, expected_engine, &want_levels);
        sa::solution cur = start;
        sa::random_engine engine(seed * 7919U);
        std::vector<reference_level> got_levels;
        const sa::run_report got =
            sa::anneal(sa::demo_landscape(), demo, schedule, cur, engine,
                       [&got_levels](const sa::level_summary& level) {
                           got_levels.push_back({level.improving, level.worsening});
                       });
        ASSERT_EQ(cur.bits, expected.bits) << "seed " << seed;
        ASSERT_EQ(cur.fo, expected.fo) << "seed " << seed;
        ASSERT_EQ(got.start_x, want.start_x);
        ASSERT_EQ(got.best_x, want.best_x);
        ASSERT_EQ(got.best_fo, want.best_fo);
        ASSERT_EQ(got.analysed, want.analysed);
        ASSERT_EQ(engine, expected_engine) << "seed " << seed;
        ASSERT_EQ(got_levels.size(), want_levels.size()) << "seed " << seed;
        for (std::size_t level = 0; level < want_levels.size(); ++level) {
            ASSERT_EQ(got_levels[level].improving, want_levels[level].improving) << level;
            ASSERT_EQ(got_levels[level].worsening, want_levels[level].worsening) << level;
        }
        ASSERT_EQ(want.best_fo, expected.fo);
        ASSERT_EQ(want.best_x, sa::x_at(sa::decode_bits(expected.bits), demo));
    }
}

// A run taken a trial at a time and a level at a time, in turn, closes the same levels as
// anneal() and ends where it ends, its engine in the same state.
TEST(Annealing, ARunSteppedByTrialsAndLevelsIsTheSameRun) {
    for (const sa::cooling_schedule& schedule :
         {demo_schedule, schedule_of(1.0, 1e-4, sa::lundy_mees{40}, 3)}) {
        sa::random_engine engine(5);
        sa::solution cur = sa::random_solution(sa::demo_landscape(), demo, engine);
        const sa::solution start = cur;
        sa::random_engine stepped_engine = engine;
        std::vector<sa::level_summary> levels;
        const sa::run_report report =
            sa::anneal(sa::demo_landscape(), demo, schedule, cur, engine,
                       [&levels](const sa::level_summary& level) { levels.push_back(level); });

        sa::scheduled_run run(sa::demo_landscape(), demo, schedule, start);
        std::vector<sa::level_summary> stepped;
        while (!run.finished()) {
            if (stepped.size() % 2 == 0) {
                stepped.push_back(run.level(stepped_engine));
                continue;
            }
            sa::trial_step step{};
            for (int trial = 1; !step.closed_level; ++trial) {
                step = run.trial(stepped_engine);
                EXPECT_EQ(step.level.trials, trial);
            }
            stepped.push_back(step.level);
        }
        EXPECT_EQ(stepped, levels);
        EXPECT_EQ(run.state().best().bits, cur.bits);
        EXPECT_EQ(run.report().best_fo, report.best_fo);
        EXPECT_EQ(run.trials_made(), report.analysed);
        EXPECT_EQ(stepped_engine, engine);
    }
}

TEST(Annealing, ZeroChangeIsAlwaysAccepted) {
    // exp(0) = 1 exceeds every draw of random_uniform(0, 1), which is at most 0.9999.
    for (int point = 0; point < sa::uniform_grid_points; ++point) {
        const auto r = static_cast<double>(sa::uniform_value(point, 0.0, 1.0));
        ASSERT_TRUE(sa::accepts_worse(0.0F, 1e-30, r)) << r;
    }
}

TEST(Annealing, ColdRunFromThePeakRejectsEveryMove) {
    // Near zero temperature every worsening move is rejected and must be undone exactly.
    const sa::bit_vector peak = {0, 1, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1};
    sa::random_engine engine(3);
    const sa::solution start{peak, 1.5F};
    sa::solution cur = start;
    const sa::run_report report = sa::anneal(
        sa::demo_landscape(), demo, schedule_of(1e-30, 1e-31, sa::geometric{0.5}, 50), cur, engine);
    EXPECT_EQ(cur.bits, start.bits);
    EXPECT_EQ(cur.fo, start.fo);
    EXPECT_EQ(report.best_fo, start.fo);
    EXPECT_EQ(report.best_x, report.start_x);
    EXPECT_EQ(report.analysed, 200);
}

TEST(Annealing, ObserverSeesEveryLevelAndTheBestNeverFalls) {
    sa::random_engine engine(11);
    sa::solution cur = sa::random_solution(sa::demo_landscape(), demo, engine);
    const float start_fo = cur.fo;
    std::vector<sa::level_summary> levels;
    const sa::run_report report =
        sa::anneal(sa::demo_landscape(), demo, demo_schedule, cur, engine,
                   [&levels](const sa::level_summary& level) { levels.push_back(level); });
    ASSERT_EQ(levels.size(), 227U);
    float best_so_far = start_fo;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const sa::level_summary& level = levels[i];
        EXPECT_EQ(level.level, static_cast<std::int64_t>(i));
        EXPECT_EQ(level.trials, 8);
        EXPECT_LE(level.improving + level.worsening, level.trials);
        EXPECT_GE(level.best_fo, best_so_far);
        EXPECT_GE(level.best_fo, level.fo);
        best_so_far = level.best_fo;
    }
    EXPECT_EQ(levels.front().temperature, demo_schedule.t0());
    EXPECT_EQ(levels.back().best_fo, report.best_fo);
}

}  // namespace
