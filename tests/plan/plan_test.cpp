#include "plan/plan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <regex>

#include "support/schedules.hpp"

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
    // Each cap on both sides of its limit.
    EXPECT_TRUE(sa::plan_study(request_of({{runs, "1000"}}), 1, {100'000, 100, 1'816'000}));
    EXPECT_FALSE(sa::plan_study(request_of({{runs, "1000"}}), 1, {100'000, 100, 1'815'999}));
    EXPECT_TRUE(sa::plan_study(request_of({{t0, "1:100:1"}, {alpha, "0.001:0.1:0.001"}}), 1));
    const auto past_sweep =
        sa::plan_study(request_of({{t0, "1:73:1"}, {alpha, "0.001:0.137:0.001"}}), 1);
    ASSERT_FALSE(past_sweep);
    EXPECT_EQ(past_sweep.error().shown, "10001");
    EXPECT_FALSE(sa::run_range_fault(request_of({{first_run, "4294967295"}, {runs, "1"}})));
    EXPECT_TRUE(sa::run_range_fault(request_of({{first_run, "4294967295"}, {runs, "2"}})));
}

// The trials cap holds to the trial where the estimates cannot tell: halving T from 1 to 2^-29
// takes 29 levels, which the estimate puts at 30.
TEST(StudyRequest, TheTrialsCapIsExactWhereTheEstimatesCannotTell) {
    using enum sa::study_field;
    const sa::study_request request = request_of({{runs, "1000"},
                                                  {t0, "1"},
                                                  {alpha, "0.5"},
                                                  {t_final, "1.862645149230957e-9"},
                                                  {trials, "1"}});
    const auto capped_at = [&request](std::int64_t trials) {
        return sa::plan_study(request, 1, {100'000, 1, trials});
    };
    const auto at_cap = capped_at(29'000);
    ASSERT_TRUE(at_cap);
    EXPECT_EQ(sa::estimated_trials_per_run(at_cap->cases.front().schedule), 30);
    const auto over = capped_at(28'999);
    ASSERT_FALSE(over);
    EXPECT_EQ(over.error().kind, sa::fault_kind::too_many_trials);
    EXPECT_EQ(over.error().shown, "2.9e+04");
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
        const sa::encoding enc = sa::demo_landscape().grid(test.bits);
        sa::random_engine engine(test.seed);
        const sa::move_sample sample = sa::sample_moves(sa::demo_landscape(), enc, engine, 2000);
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
        const sa::move_sample again = sa::sample_moves(sa::demo_landscape(), enc, same_seed, 2000);
        EXPECT_EQ(sa::initial_temperature(again, test.initial_chi)->temperature, t0->temperature);
    }
    EXPECT_FALSE(sa::initial_temperature(sa::move_sample{0, {}}));
    sa::random_engine engine(1);
    EXPECT_FALSE(
        sa::final_temperature(sa::sample_moves(sa::demo_landscape(), demo, engine, 100), 1.0));
}

}  // namespace

// A case handed on as text reads back as the same case and runs, whatever the law, the values
// (the smallest and largest a schedule may hold, factors next to 1, temperatures chosen
// automatically) and the runs; and nothing else reads as a case.
TEST(CaseText, ReadsBackAsTheSameCaseAndNothingElseDoes) {
    using enum sa::study_field;
    const std::vector<std::vector<std::pair<sa::study_field, std::string>>> requests = {
        {},
        {{seed, "4294967295"}, {runs, "10000000"}, {t0, "1e30"}, {t_final, "1e-45"}},
        {{alpha, "0.99999994,0.5,1e-30"}, {t0, "3.4e-30"}, {t_final, "1.4e-45"}, {trials, "1"}},
        {{laws, "linear,lundy-mees"}, {levels, "1,1000000000"}, {trials, "1"}, {bits, "2,24"}},
        {{seed, "7"}, {first_run, "4294966295"}, {runs, "1000"}, {t0, "auto"}, {t_final, "auto"}},
        {{landscape, "max(sin(3 * x), 0.2) + 1"}, {x_min, "0"}, {x_max, "3"}},
        {{landscape, "demo"}, {x_min, "-1"}, {x_max, "2.5"}},
    };
    std::size_t cases = 0;
    for (const auto& fields : requests) {
        const sa::study_request request = request_of(fields);
        const auto plan = sa::plan_study(request, request.seed.value_or(1));
        ASSERT_TRUE(plan) << plan.error().shown;
        for (const sa::study_case& study : plan->cases) {
            const sa::planned_case planned{
                study, {request.seed.value_or(1), request.first_run, request.runs}};
            const std::string text = sa::case_text(planned);
            const std::optional<sa::planned_case> read = sa::read_case_text(text);
            ASSERT_TRUE(read) << text;
            EXPECT_EQ(read->study, study) << text;
            EXPECT_EQ(read->runs.seed, planned.runs.seed) << text;
            EXPECT_EQ(read->runs.first, planned.runs.first) << text;
            EXPECT_EQ(read->runs.count, planned.runs.count) << text;
            ++cases;
        }
    }
    EXPECT_EQ(cases, 1U + 1U + 3U + 8U + 1U + 1U + 1U);
    EXPECT_EQ(
        sa::case_text({sa::plan_study(request_of({{seed, "1"}}), 1)->cases.front(), {1, 0, 1000}}),
        "seed=1 runs=1000 first-run=0 t0=100 t-final=0.1 trials=8 bits=17 cooling=geometric "
        "alpha=0.97 acceptance=demo");
    for (const char* other : {"", "seed=1 ", "t0=100", "seed=1 t0=x", "seed=1 bogus=1", "seed=1 t0",
                              "seed=1 alpha=0.9,0.5", "seed=1 t0=0.1", "seed=1 runs=0",
                              "seed=1 first-run=4294967295 runs=2",
                              "seed=1 cooling=linear alpha=0.9", "seed=1  runs=5"}) {
        EXPECT_FALSE(sa::read_case_text(other)) << other;
    }
}
