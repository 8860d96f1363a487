#include "annealing/annealing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
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

// A run steered at the schedule's own T at every level is the unsteered run: the same levels
// but for their mark, the same best, and the engine left in the same state.
TEST(Steering, AtTheSchedulesOwnTemperatureIsTheSameRun) {
    const std::vector<sa::cooling_schedule> schedules = {
        demo_schedule, schedule_of(1.0, 1e-4, sa::lundy_mees{40}, 3),
        schedule_of(2.0, 1e-3, sa::linear{60}, 5, sa::continuous_acceptance{})};
    for (unsigned seed = 1; seed <= 30; ++seed) {
        const sa::cooling_schedule& schedule = schedules[seed % schedules.size()];
        sa::random_engine engine(seed);
        const sa::solution start = sa::random_solution(sa::demo_landscape(), demo, engine);
        sa::random_engine steered_engine = engine;

        sa::scheduled_run plain(sa::demo_landscape(), demo, schedule, start);
        std::vector<sa::level_summary> want;
        plain.to_end(engine, [&want](const sa::level_summary& level) { want.push_back(level); });

        sa::scheduled_run steered(sa::demo_landscape(), demo, schedule, start);
        std::vector<sa::level_summary> got;
        while (!steered.finished()) {
            ASSERT_EQ(steered.steer(steered.scheduled_temperature()), std::nullopt);
            got.push_back(steered.level(steered_engine));
            ASSERT_TRUE(got.back().steered) << "seed " << seed << " level " << got.size();
            got.back().steered = false;
        }
        ASSERT_EQ(got, want) << "seed " << seed;
        EXPECT_EQ(steered.state().best().bits, plain.state().best().bits);
        EXPECT_EQ(steered.report().best_fo, plain.report().best_fo);
        EXPECT_EQ(steered.trials_made(), plain.trials_made());
        EXPECT_EQ(steered_engine, engine) << "seed " << seed;
    }
}

// Held at a T, every level from the next on runs at it, and the schedule still sets how many
// levels there are; released, the levels run at the schedule's T again. Each trial is decided
// at its level's T.
TEST(Steering, HeldLevelsRunAtTheSetTemperatureAndTheScheduleKeepsItsLevels) {
    const std::int64_t levels = sa::count_levels(demo_schedule);
    std::vector<double> schedule_t;
    for (const double t : sa::levels_of(demo_schedule)) {
        schedule_t.push_back(t);
    }
    const auto held = [](std::size_t level) { return level >= 11 && level < 30; };
    sa::random_engine engine(7);
    const sa::solution start = sa::random_solution(sa::demo_landscape(), demo, engine);
    sa::scheduled_run run(sa::demo_landscape(), demo, demo_schedule, start);
    std::vector<sa::level_summary> got;
    int decided = 0;
    while (!run.finished()) {
        if (got.size() == 10 && run.trials_made() == 81) {
            // Held midway through a level: that level keeps the schedule's T.
            ASSERT_EQ(run.steer(0.01), std::nullopt);
            ASSERT_EQ(run.steered_at(), std::optional<double>(0.01));
        }
        if (got.size() == 30 && run.steered_at()) {
            ASSERT_EQ(run.steer(std::nullopt), std::nullopt);
        }
        const sa::trial_step step = run.trial(engine);
        const double t = held(got.size()) ? 0.01 : schedule_t[got.size()];
        if (step.outcome.r) {
            ++decided;
            ASSERT_EQ(step.outcome.accepted,
                      sa::demo_acceptance::accepts(step.outcome.delta, t, *step.outcome.r))
                << "level " << got.size();
        }
        if (step.closed_level) {
            got.push_back(step.level);
        }
    }
    EXPECT_GT(decided, 500);
    ASSERT_EQ(static_cast<std::int64_t>(got.size()), levels);
    EXPECT_EQ(run.trials_made(), levels * demo_schedule.trials_per_level());
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].level, static_cast<std::int64_t>(k));
        EXPECT_EQ(got[k].steered, held(k)) << k;
        EXPECT_EQ(got[k].temperature, held(k) ? 0.01 : schedule_t[k]) << k;
        EXPECT_EQ(got[k].trials, demo_schedule.trials_per_level()) << k;
    }
}

// A held T is refused by the rules of a schedule's T values, with the same fault, and the run
// keeps the T it had.
TEST(Steering, RefusesWhatASchedulesTemperatureMayNotBe) {
    const double huge = 1e31;
    const double tiny = 1e-50;
    const double nan = std::nan("");
    for (const double refused : {0.0, -1.0, huge, tiny, nan}) {
        sa::random_engine engine(3);
        const sa::solution start = sa::random_solution(sa::demo_landscape(), demo, engine);
        sa::scheduled_run run(sa::demo_landscape(), demo, demo_schedule, start);
        ASSERT_EQ(run.steer(5.0), std::nullopt);
        const std::optional<sa::fault> wrong = run.steer(refused);
        ASSERT_TRUE(wrong.has_value()) << refused;
        const std::optional<sa::fault> as_schedule = sa::temperature_fault(refused);
        ASSERT_TRUE(as_schedule.has_value()) << refused;
        EXPECT_EQ(wrong->kind, as_schedule->kind) << refused;
        EXPECT_EQ(wrong->shown, as_schedule->shown) << refused;
        EXPECT_EQ(run.steered_at(), std::optional<double>(5.0)) << refused;
        EXPECT_EQ(run.level(engine).temperature, 5.0) << refused;
    }
    sa::random_engine engine(3);
    const sa::solution start = sa::random_solution(sa::demo_landscape(), demo, engine);
    sa::scheduled_run run(sa::demo_landscape(), demo, demo_schedule, start);
    EXPECT_EQ(run.steer(0.0)->kind, sa::fault_kind::not_positive);
    EXPECT_EQ(run.steer(huge)->kind, sa::fault_kind::too_large);
    EXPECT_EQ(run.steer(tiny)->kind, sa::fault_kind::rounds_to_zero);
    EXPECT_EQ(run.steer(1e30), std::nullopt);
}

// The demo's rule takes a worse move with the share of its 10,000 draws below exp(delta / T):
// never less than 1 in 10,000 while that is not 0, and none once it is.
TEST(AcceptanceChance, CountsTheDrawsThatTakeTheMove) {
    struct row {
        float delta;
        double temperature;
        double demo;
    };
    const sa::acceptance demo_rule = sa::demo_acceptance{};
    const sa::acceptance continuous = sa::continuous_acceptance{};
    for (const row& each :
         std::vector<row>{{0.5F, 1.0, 1.0},      // an improving move, taken without a draw
                          {0.0F, 1.0, 1.0},      // exp(0) = 1 is above every draw
                          {-1.0F, 1.0, 0.3679},  // exp(-1) = 0.36788: draws 0 to 0.3678
                          {-1.0F, 2.0, 0.6066},  // exp(-0.5) = 0.60653
                          {-20.0F, 1.0, 1e-4},   // exp(-20) = 2e-9: only r = 0
                          {-700.0F, 1.0, 1e-4},  // exp(-700) = 1e-304, still above 0
                          {-750.0F, 1.0, 0.0},   // exp(-750) is 0 in double
                          {-1.0F, 1e-30, 0.0}}) {
        EXPECT_DOUBLE_EQ(sa::acceptance_chance(demo_rule, each.delta, each.temperature), each.demo)
            << each.delta << " at " << each.temperature;
        int taken = 0;
        for (int point = 0; point < sa::uniform_grid_points; ++point) {
            const auto r = static_cast<double>(sa::uniform_value(point, 0.0, 1.0));
            taken += sa::demo_acceptance::accepts(each.delta, each.temperature, r) ? 1 : 0;
        }
        if (!sa::improves(each.delta)) {
            EXPECT_EQ(sa::acceptance_chance(demo_rule, each.delta, each.temperature),
                      taken / 10000.0);
        }
        const double exact = sa::improves(each.delta)
                                 ? 1.0
                                 : std::exp(static_cast<double>(each.delta) / each.temperature);
        EXPECT_NEAR(sa::acceptance_chance(continuous, each.delta, each.temperature), exact,
                    exact * 1e-14);
    }
}

}  // namespace
