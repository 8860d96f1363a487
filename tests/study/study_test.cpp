#include "study/study.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <regex>

#include "support/schedules.hpp"
#include "support/stdio_capture.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);

// A request with these fields, each as typed; every one must read.
sa::study_request request_of(const std::vector<std::pair<sa::study_field, std::string>>& fields,
                             const sa::number_style& style = {}) {
    sa::study_request request;
    for (const auto& [field, text] : fields) {
        const std::optional<sa::fault> wrong = sa::read_field(field, text, request, style);
        EXPECT_FALSE(wrong) << text;
    }
    return request;
}

// Lists and ranges sweep every combination, bits outermost, then T0, final T, the cooling law
// and its parameter, and trials per level.
TEST(StudyRequest, ListsAndRangesSweepEveryCombinationInAFixedOrder) {
    using enum sa::study_field;
    const sa::study_request request =
        request_of({{alpha, "0.9,0.97"}, {t_final, "0.1:0.3:0.1"}, {bits, "12"}, {runs, "010"}});
    EXPECT_EQ(request.runs, 10);  // decimal, not octal
    EXPECT_EQ(sa::schedule_count(request), 6.0);
    const auto plan = sa::plan_study(request, 1);
    ASSERT_TRUE(plan);
    const std::vector<sa::study_case>& cases = plan->cases;
    ASSERT_EQ(cases.size(), 6U);
    EXPECT_EQ(cases[0].schedule.law(), sa::cooling(sa::geometric{0.9F}));
    EXPECT_EQ(cases[1].schedule.law(), sa::cooling(sa::geometric{0.97F}));
    EXPECT_EQ(cases[1].schedule.t_final(), static_cast<double>(0.1F));
    EXPECT_EQ(cases[2].schedule.t_final(), static_cast<double>(0.2F));
    EXPECT_EQ(cases[5].schedule.t_final(), static_cast<double>(0.3F));
    EXPECT_EQ(cases[5].schedule.trials_per_level(), 6);  // bits / 2, as the demo has it
    EXPECT_EQ(cases[5].bits, 12);
}

// A front end's caps refuse with the same rules.
TEST(StudyRequest, CapsAreParametersOfTheSameRules) {
    using enum sa::study_field;
    const sa::study_caps page{100'000, 1};
    const auto two = sa::plan_study(request_of({{alpha, "0.9,0.95"}}), 1, page);
    ASSERT_FALSE(two);
    EXPECT_EQ(two.error().kind, sa::fault_kind::too_many_schedules);
    EXPECT_EQ(two.error().shown, "2");
    EXPECT_EQ(two.error().limit, "1");
    const auto many = sa::plan_study(request_of({{runs, "100001"}}), 1, page);
    ASSERT_FALSE(many);
    EXPECT_EQ(many.error().kind, sa::fault_kind::too_many_runs);
    EXPECT_EQ(many.error().limit, "100000");
    EXPECT_TRUE(sa::plan_study(request_of({{runs, "100000"}}), 1, page));
    const auto costly = sa::plan_study(request_of({{runs, "1000"}}), 1, {100'000, 100, 1'000'000});
    ASSERT_FALSE(costly);
    EXPECT_EQ(costly.error().kind, sa::fault_kind::too_many_trials);
    EXPECT_EQ(costly.error().shown, "1.8e+06");  // 1000 runs of 1816 trials
}

// Run i is what sa_demo prints for choices 1 and 2 when started in clock second seed + i.
TEST(StudyRuns, EachRunIsTheDemosSessionForItsSecond) {
    const sa::tabulated_space space(demo);
    const sa::study_case study{sa::demo_schedule(demo), demo.n_bits};
    const sa::seed_range range{4'294'967'290U, 0, 12};  // the seeds wrap around past 2^32 - 1
    const std::vector<sa::run_outcome> runs = sa::study_runs(space, study, range, 2);
    const std::regex best("valor de x = (\\S+) \nfuncao objetivo = (\\S+) \nNum");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto second = static_cast<std::uint32_t>(range.seed + i);
        const std::string session = test_support::session_output(second, "1\n2\n0\n");
        std::smatch printed;
        ASSERT_TRUE(std::regex_search(session, printed, best)) << session;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%f %f", static_cast<double>(runs[i].best_x),
                      static_cast<double>(runs[i].best_fo));
        EXPECT_EQ(printed[1].str() + " " + printed[2].str(), expected) << "run " << i;
    }
}

// The runs split into parts are the whole study's, and their summaries add up to its summary:
// the sum of the best values exactly, so that the mean is the same to the last bit.
TEST(StudyRuns, TheSameWhenSplitIntoParts) {
    const sa::tabulated_space space(demo);
    const sa::grid_landmarks landmarks = sa::find_landmarks(space);
    const sa::study_case study{schedule_of(10.0, 0.1, sa::geometric{0.9}, 8), demo.n_bits};
    const auto whole = sa::study_runs(space, study, {7, 0, 200}, 2);
    auto parts = sa::study_runs(space, study, {7, 0, 120}, 2);
    const auto rest = sa::study_runs(space, study, {7, 120, 80}, 2);
    const sa::study_summary merged =
        sa::merged_summary(sa::summarize(parts, landmarks), sa::summarize(rest, landmarks));
    parts.insert(parts.end(), rest.begin(), rest.end());
    ASSERT_EQ(parts.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        ASSERT_EQ(parts[i].best_d, whole[i].best_d) << i;
        ASSERT_EQ(parts[i].best_fo, whole[i].best_fo) << i;
    }
    const sa::study_summary summary = sa::summarize(whole, landmarks);
    EXPECT_EQ(merged.exact_optimum, summary.exact_optimum);
    EXPECT_EQ(merged.global_peak, summary.global_peak);
    EXPECT_EQ(merged.best_sum, summary.best_sum);
    EXPECT_EQ(merged.mean_best, summary.mean_best);
}

TEST(StudyRuns, TheDemoGridsOptimumAndItsTwoHills) {
    const sa::grid_landmarks landmarks = sa::find_landmarks(sa::tabulated_space(demo));
    EXPECT_EQ(landmarks.optimum_d, 48917);
    EXPECT_EQ(landmarks.global_peak.first, 36848);
    EXPECT_EQ(landmarks.global_peak.last, 57517);
    EXPECT_EQ(landmarks.second_peak.first, 57517);  // the valley the two hills share
    EXPECT_TRUE(landmarks.second_peak.contains(65048));
    EXPECT_TRUE(landmarks.second_peak.contains(65049));
    // Found again without a table, by evaluating f at every point.
    const sa::grid_landmarks untabulated = sa::landmarks_of_grid(demo.n_bits);
    EXPECT_EQ(untabulated.optimum_d, landmarks.optimum_d);
    EXPECT_EQ(untabulated.optimum_value, landmarks.optimum_value);
    EXPECT_EQ(untabulated.global_peak.last, landmarks.global_peak.last);
    EXPECT_EQ(untabulated.second_peak.last, landmarks.second_peak.last);
}

sa::run_outcome record(int best_d, float best_fo, long double true_value, double seconds) {
    return {best_d, 0.0F, best_fo, true_value, seconds};
}

TEST(StudySummary, CountsMeansGapsAndTheMedianTime) {
    const sa::grid_landmarks landmarks{48917, -0.50716F, 1.501564L, {40000, 57000}, {57000, 70000}};
    const std::vector<sa::run_outcome> runs = {
        record(48917, 1.5F, 1.5L, 3.0),    // the optimum itself
        record(48900, 1.4F, 1.375L, 1.0),  // on the global peak only
        record(65049, 1.25F, 1.25L, 2.0),  // second peak
        record(10000, 0.5F, 0.5L, 4.0),    // elsewhere
    };
    const sa::study_summary summary = sa::summarize(runs, landmarks);
    EXPECT_EQ(summary.runs, 4);
    EXPECT_EQ(summary.exact_optimum, 1);
    EXPECT_EQ(summary.global_peak, 2);
    EXPECT_EQ(summary.second_peak, 1);
    EXPECT_NEAR(summary.mean_best, (1.5 + 1.4 + 1.25 + 0.5) / 4, 1e-7);
    EXPECT_EQ(summary.worst_best, 0.5F);
    EXPECT_NEAR(summary.max_gap, 1.4 - 1.375, 1e-7);
    EXPECT_DOUBLE_EQ(summary.median_seconds, 2.5);
    EXPECT_DOUBLE_EQ(sa::share(1, 4), 25.0);
}

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

// The laws come after the temperatures in the order asked; alpha sweeps the geometric cases
// and L the others. Without L they run as many levels as the demo's alpha takes between the
// same temperatures, and a request without laws is geometric alone.
TEST(StudyRequest, LawsExpandInTheirOrderEachWithItsOwnParameter) {
    sa::study_request request;
    request.t_final = {0.1F, 0.01F};
    request.alpha = {0.9F, 0.95F};
    request.levels = {50, 100};
    request.laws = {sa::lundy_mees{}, sa::geometric{}, sa::linear{}};
    const std::vector<sa::cooling> each_final_t = {sa::lundy_mees{50},  sa::lundy_mees{100},
                                                   sa::geometric{0.9F}, sa::geometric{0.95F},
                                                   sa::linear{50},      sa::linear{100}};
    const auto plan = sa::plan_study(request, 1);
    ASSERT_TRUE(plan);
    const std::vector<sa::study_case>& cases = plan->cases;
    ASSERT_EQ(cases.size(), 2 * each_final_t.size());
    EXPECT_EQ(sa::schedule_count(request), static_cast<double>(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const sa::cooling_schedule& schedule = cases[i].schedule;
        EXPECT_EQ(schedule.law(), each_final_t[i % each_final_t.size()]) << i;
        EXPECT_EQ(schedule.t_final(), static_cast<double>(i < 6 ? 0.1F : 0.01F)) << i;
        EXPECT_EQ(schedule.trials_per_level(), 8) << i;
    }

    request.laws = {sa::linear{}};
    request.alpha.clear();
    request.levels.clear();
    const auto linear = sa::plan_study(request, 1);
    ASSERT_TRUE(linear);
    for (const sa::study_case& study : linear->cases) {
        const sa::cooling_schedule& s = study.schedule;
        const sa::cooling_schedule geometric_cooling =
            schedule_of(s.t0(), s.t_final(), sa::demo_schedule(demo).law(), s.trials_per_level());
        EXPECT_EQ(sa::trials_per_run(s), sa::trials_per_run(geometric_cooling));
    }
    request.laws.clear();
    const auto demo_law = sa::plan_study(request, 1);
    ASSERT_TRUE(demo_law);
    for (const sa::study_case& study : demo_law->cases) {
        EXPECT_EQ(study.schedule.law(), sa::demo_schedule(demo).law());
    }
}

// T0 brings Ben-Ameur's estimate, written out here as his ratio of sums, to its target on
// the sample it came from; the final T accepts the sample's smallest worsening with its
// probability. On grids of several lengths, for several targets, the same for the same seed.
TEST(AutoTemperature, EachReachesItsAcceptanceOnItsOwnSample) {
    struct auto_case {
        int bits;
        std::uint32_t seed;
        double initial_chi;
        double final_chi;
    };
    for (const auto_case& test : {auto_case{17, 1, 0.8, 0.01}, auto_case{17, 2, 0.5, 0.1},
                                  auto_case{8, 3, 0.95, 0.01}, auto_case{3, 4, 0.8, 0.001},
                                  auto_case{24, 5, 0.8, 0.01}, auto_case{17, 6, 0.00001, 0.01}}) {
        const sa::encoding enc = sa::study_encoding(test.bits);
        sa::random_engine engine(test.seed);
        const sa::move_sample sample = sa::sample_moves(enc, engine, 2000);
        ASSERT_EQ(sample.drawn, 2000);
        ASSERT_FALSE(sample.worsening.empty());
        const std::optional<sa::chosen_temperature> t0 =
            sa::initial_temperature(sample, test.initial_chi);
        ASSERT_TRUE(t0);
        // The values after and before each move, weighted as a run in equilibrium at T0
        // meets them; E = -f. Both sums are scaled by exp(-highest / T0), so that neither
        // overflows at a small T0.
        long double highest = 0.0L;
        for (const sa::worsening_move& move : sample.worsening) {
            highest = std::max(highest, static_cast<long double>(move.start_value));
        }
        long double after = 0.0L;
        long double before = 0.0L;
        float smallest = -std::numeric_limits<float>::infinity();
        for (const sa::worsening_move& move : sample.worsening) {
            ASSERT_LT(move.change, 0.0F);
            const long double start = move.start_value - highest;
            after += std::exp((start + move.change) / t0->temperature);
            before += std::exp(start / t0->temperature);
            smallest = std::max(smallest, move.change);
        }
        // Within 1e-4 of the target, relative to it: a small one as closely as a large one.
        const double tolerance = 1e-4 * test.initial_chi;
        EXPECT_NEAR(static_cast<double>(after / before), test.initial_chi, tolerance) << test.bits;
        EXPECT_NEAR(t0->acceptance, test.initial_chi, tolerance) << test.bits;
        EXPECT_EQ(t0->worsening_moves, static_cast<int>(sample.worsening.size()));

        const std::optional<sa::chosen_temperature> t_final =
            sa::final_temperature(sample, test.final_chi);
        ASSERT_TRUE(t_final);
        EXPECT_NEAR(std::exp(static_cast<double>(smallest) / t_final->temperature), test.final_chi,
                    1e-12 * test.final_chi)
            << test.bits;
        EXPECT_LT(t_final->temperature, t0->temperature) << test.initial_chi;

        sa::random_engine same_seed(test.seed);
        const sa::move_sample again = sa::sample_moves(enc, same_seed, 2000);
        EXPECT_EQ(sa::initial_temperature(again, test.initial_chi)->temperature, t0->temperature);
    }
    EXPECT_FALSE(sa::initial_temperature(sa::move_sample{0, {}}));
    sa::random_engine engine(1);
    EXPECT_FALSE(sa::final_temperature(sa::sample_moves(demo, engine, 100), 1.0));
}

}  // namespace
