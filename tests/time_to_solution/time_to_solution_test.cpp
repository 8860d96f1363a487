#include "time_to_solution/time_to_solution.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/schedules.hpp"

namespace {

// R = ln(1 - target) / ln(1 - p), at least 1, against values computed to 50 digits. A tiny p
// needs ln(1 - p) formed without 1 - p, which would keep only four of its digits.
TEST(TimeToSolution, RunsNeededFollowTheFormula) {
    struct runs_case {
        double p;
        double target;
        std::optional<double> runs;
    };
    for (const runs_case& test : {
             runs_case{0.22, 0.99, 18.534754051858318}, runs_case{0.587, 0.99, 5.2076559536746890},
             runs_case{0.5, 0.75, 2.0}, runs_case{0.9, 0.99, 2.0},
             runs_case{1e-12, 0.99, 4605170185985.7888},
             runs_case{0.995, 0.99, 1.0},  // R would be 0.87: never less than one run
             runs_case{1.0, 0.99, 1.0}, runs_case{0.0, 0.99, std::nullopt},
             runs_case{0.5, 1.0, std::nullopt},  // certainty is never reached
         }) {
        const std::optional<double> runs = sa::runs_to_reach(test.p, test.target);
        ASSERT_EQ(runs.has_value(), test.runs.has_value()) << test.p;
        if (runs) {
            EXPECT_NEAR(*runs, *test.runs, 1e-13 * *test.runs) << test.p;
        }
    }
}

// The Wilson interval against values computed to 50 digits, with its ends exactly 0 and 1 at
// none and all successes; the times to solution at p and at the interval's ends.
TEST(TimeToSolution, WilsonIntervalAndTheTimesAtItsEnds) {
    struct wilson_case {
        long successes;
        long runs;
        double low;
        double high;
    };
    for (const wilson_case& test : {
             wilson_case{0, 10, 0.0, 0.27753279986288920},
             wilson_case{10, 10, 0.72246720013711080, 1.0},
             wilson_case{5, 10, 0.23659309051256400, 0.76340690948743600},
             wilson_case{22, 100, 0.15001282384605401, 0.31070353514985797},
             wilson_case{1, 10000, 1.7652673601122301e-05, 5.6626889740133811e-04},
         }) {
        const sa::share_interval interval = sa::wilson_interval(test.successes, test.runs);
        EXPECT_NEAR(interval.low, test.low, 1e-12 * test.low) << test.successes;
        EXPECT_NEAR(interval.high, test.high, 1e-12 * test.high) << test.successes;
    }
    EXPECT_EQ(sa::wilson_interval(0, 10).low, 0.0);
    EXPECT_EQ(sa::wilson_interval(10, 10).high, 1.0);

    // 22 of 100 runs of 880 trials each, 12.5 us a run: TTS99 is 18.53 runs.
    sa::case_result result{{schedule_of(1.0F, 0.00001F, sa::geometric{0.9F}, 8), 17}, {}, {}};
    result.summary.runs = 100;
    result.summary.exact_optimum = 22;
    result.summary.global_peak = 0;
    result.summary.total_seconds = 100 * 12.5e-6;
    ASSERT_EQ(sa::trials_per_run(result.study.schedule), 880);
    const sa::tts_estimate exact =
        sa::estimate_time_to_solution(result, sa::success_measure::exact_optimum);
    EXPECT_DOUBLE_EQ(exact.share, 0.22);
    ASSERT_TRUE(exact.expected && exact.shortest && exact.longest);
    EXPECT_NEAR(exact.expected->trials, 16310.583565635320, 1e-8);
    EXPECT_NEAR(exact.expected->seconds, 18.534754051858318 * 12.5e-6, 1e-15);
    EXPECT_DOUBLE_EQ(exact.shortest->runs, *sa::runs_to_reach(0.31070353514985797, 0.99));
    EXPECT_DOUBLE_EQ(exact.longest->runs, *sa::runs_to_reach(0.15001282384605401, 0.99));
    const sa::tts_estimate none =
        sa::estimate_time_to_solution(result, sa::success_measure::global_peak);
    EXPECT_FALSE(none.expected);
    EXPECT_FALSE(none.longest);
    ASSERT_TRUE(none.shortest);  // 0 of 100 still allows p up to 3.7 %
    EXPECT_GT(none.shortest->trials, exact.longest->trials);
}

// The point of time to solution: 22 % in 880 trials beats 58.7 % in 92,064 trials once runs
// may restart, and which is least depends on what a run costs.
TEST(TimeToSolution, TheLeastIsTheCheapestWithRestarts) {
    const auto result_of = [](float alpha, long exact, double seconds) {
        sa::case_result result{{schedule_of(1.0F, 0.00001F, sa::geometric{alpha}, 8), 17}, {}, {}};
        result.summary.runs = 1000;
        result.summary.exact_optimum = exact;
        result.summary.global_peak = 1000;
        result.summary.total_seconds = seconds;
        return result;
    };
    const std::vector<sa::case_result> results = {
        result_of(0.5F, 0, 0.1), result_of(0.999F, 587, 1.0), result_of(0.9F, 220, 100.0)};
    ASSERT_EQ(sa::trials_per_run(results[1].study.schedule), 92064);
    using enum sa::tts_unit;
    const auto exact = sa::success_measure::exact_optimum;
    EXPECT_EQ(sa::least_time_to_solution(results, exact, 0.99, trials), 2U);
    EXPECT_EQ(sa::least_time_to_solution(results, exact, 0.99, seconds), 1U);
    // Every run on the peak: one run each, and the shortest schedule wins.
    EXPECT_EQ(sa::least_time_to_solution(results, sa::success_measure::global_peak, 0.99, trials),
              0U);
    EXPECT_EQ(sa::least_time_to_solution({results[1], results[1]}, exact, 0.99, trials), 0U);
    EXPECT_FALSE(sa::least_time_to_solution({results[0]}, exact, 0.99, trials));
}

}  // namespace
