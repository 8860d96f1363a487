#include "schedule/schedule.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/schedules.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);
const sa::cooling_schedule demo_schedule = sa::demo_schedule(demo);

TEST(Schedule, TheDemoScheduleRuns227LevelsAnd1816Trials) {
    EXPECT_EQ(sa::count_levels(demo_schedule), 227);
    EXPECT_EQ(sa::trials_per_run(demo_schedule), 1816);
    double last = 0.0;
    for (const double t : sa::levels_of(demo_schedule)) {
        last = t;
    }
    EXPECT_NEAR(last, 0.10243, 1e-5);
}

// Each law's level temperatures and count, and the temperature the walk holds once it ends:
// the final T itself for linear and Lundy-Mees, which run exactly L levels. The geometric
// values are exact: every figure the demo prints depends on each of their bits.
TEST(Schedule, EachCoolingLawsLevelsCountAndEnd) {
    struct law_case {
        sa::cooling_schedule schedule;
        std::vector<double> first_levels;
        std::int64_t levels;
        double after_last;
        double relative_tolerance;  // of after_last: each level rounds, and L levels add up
    };
    for (const law_case& test : {
             law_case{demo_schedule,
                      {100.0, 0x1.840000cp+6, 0x1.785c2a6a3d71p+6},
                      227,
                      0x1.96f483cf71a7ep-4,
                      0.0},
             law_case{schedule_of(10.0, 1.0, sa::linear{9}, 2), {10.0, 9.0, 8.0, 7.0}, 9, 1.0, 0.0},
             law_case{
                 schedule_of(100.0, 0.1, sa::linear{1000}, 8), {100.0, 99.9001}, 1000, 0.1, 1e-12},
             law_case{
                 schedule_of(1.0, 0.25, sa::lundy_mees{3}, 2), {1.0, 0.5, 1.0 / 3.0}, 3, 0.25, 0.0},
             law_case{schedule_of(100.0, 0.1, sa::lundy_mees{1000}, 8),
                      {100.0, 100.0 / 1.999},
                      1000,
                      0.1,
                      1e-12},
             // Rounding would take the last 240 of these levels below the final T.
             law_case{
                 schedule_of(static_cast<double>(1.0000001F), 1.0, sa::lundy_mees{1'000'000}, 1),
                 {static_cast<double>(1.0000001F)},
                 1'000'000,
                 1.0,
                 0.0},
         }) {
        const auto levels = sa::levels_of(test.schedule);
        auto level = levels.begin();
        std::int64_t count = 0;
        std::int64_t below_final = 0;
        for (; level != levels.end(); ++level, ++count) {
            below_final += *level < test.schedule.t_final() ? 1 : 0;
            if (count < static_cast<std::int64_t>(test.first_levels.size())) {
                EXPECT_NEAR(*level, test.first_levels[static_cast<std::size_t>(count)],
                            1e-13 * *level)
                    << "level " << count << " of " << test.levels;
            }
        }
        EXPECT_EQ(count, test.levels);
        EXPECT_EQ(below_final, 0) << test.levels << " levels";
        EXPECT_EQ(sa::count_levels(test.schedule), test.levels);
        EXPECT_EQ(sa::trials_per_run(test.schedule),
                  test.levels * test.schedule.trials_per_level());
        EXPECT_NEAR(*level, test.after_last, test.relative_tolerance * test.after_last)
            << test.levels << " levels";
    }
}

// Each law is found by its name, and by no other spelling.
TEST(Schedule, EachCoolingLawIsFoundByItsName) {
    for (const sa::cooling& law : sa::every_law()) {
        EXPECT_EQ(sa::law_named(sa::spelling_of(law).name), law);
    }
    EXPECT_EQ(std::string(sa::spelling_of(sa::lundy_mees{}).name), "lundy-mees");
    EXPECT_FALSE(sa::law_named("Linear"));
    EXPECT_FALSE(sa::law_named("lundy_mees"));
}

// Every schedule meets its limits, whoever makes it: each value on both sides of its limit, and
// the first fault in the order of the values. The limits are those a request's values meet.
TEST(Schedule, ASchedulesValuesMeetTheirLimits) {
    using enum sa::fault_kind;
    using enum sa::study_field;
    const float below_one = std::nextafter(1.0F, 0.0F);
    struct limit_case {
        double t0;
        double t_final;
        sa::cooling law;
        int trials;
        std::optional<sa::fault_kind> kind;  // none: taken
        std::optional<sa::study_field> field;
        std::string shown;
    };
    const std::vector<limit_case> cases = {
        {1e30, 1e29, sa::geometric{0.5}, 1, {}, {}, ""},
        {static_cast<float>(1e30), 1.0, sa::geometric{0.5}, 1, {}, {}, ""},
        {1.1e30, 1.0, sa::geometric{0.5}, 1, too_large, t0, "1.1e+30"},
        {1.0, 1.1e30, sa::geometric{0.5}, 1, too_large, t_final, "1.1e+30"},
        {-1.0, -2.0, sa::geometric{0.5}, 1, not_positive, t0, "-1"},
        {1.0, 0.0, sa::geometric{0.5}, 1, not_positive, t_final, "0"},
        {1.0, 1e-46, sa::geometric{0.5}, 1, rounds_to_zero, t_final, "1e-46"},
        {1.0, 1e-45, sa::geometric{0.5}, 1, {}, {}, ""},
        {0.1, 0.1, sa::geometric{1.5}, 0, no_level, t0, "0.1"},
        {1.0, 0.5, sa::geometric{1.0}, 1, not_a_factor, alpha, "1"},
        {1.0, 0.5, sa::geometric{0.0}, 1, not_a_factor, alpha, "0"},
        {1.0, 0.5, sa::geometric{1.0 - 1e-9}, 1, rounds_to_one, alpha, "0.999999999"},
        {1.0, 0.5, sa::geometric{1e-46}, 1, rounds_to_zero, alpha, "1e-46"},
        {1.0, 0.5, sa::geometric{below_one}, 1, {}, {}, ""},
        {1.0, 0.5, sa::linear{0}, 1, out_of_range, levels, "0"},
        {1.0, 0.5, sa::lundy_mees{1'000'000'001}, 1, out_of_range, levels, "1000000001"},
        {1.0, 0.5, sa::lundy_mees{1'000'000'000}, 1, {}, {}, ""},
        {1.0, 0.5, sa::linear{1}, 0, out_of_range, trials, "0"},
        {1.0, 0.5, sa::linear{1}, 1'000'001, out_of_range, trials, "1000001"},
        {1.0, 0.5, sa::linear{1000}, 1'000'000, {}, {}, ""},
        {1.0, 0.5, sa::linear{1001}, 1'000'000, run_too_long, {}, "1e+09"},
        {1e30, 1e-45, sa::geometric{0.99999994F}, 1, run_too_long, {}, "2.9e+09"},
    };
    for (const limit_case& test : cases) {
        const auto made =
            sa::cooling_schedule::make({test.t0, test.t_final}, test.law, test.trials);
        ASSERT_EQ(made.has_value(), !test.kind) << test.t0 << " " << test.t_final;
        if (test.kind) {
            EXPECT_EQ(made.error().kind, *test.kind) << test.shown;
            EXPECT_EQ(made.error().field, test.field) << test.shown;
            EXPECT_EQ(made.error().shown, test.shown);
        }
    }
    // The level count decides where its estimate cannot: 10^6 levels of 1000 trials make the
    // most trials a run may, one level more is refused.
    const auto level_temperature = [](std::int64_t level) {
        const auto levels = sa::levels_of(schedule_of(1e20, 1e-30, sa::geometric{0.9999F}, 1));
        auto t = levels.begin();
        for (std::int64_t i = 0; i < level; ++i) {
            ++t;
        }
        return *t;
    };
    const sa::cooling law = sa::geometric{0.9999F};
    const auto at_cap = sa::cooling_schedule::make({1e20, level_temperature(1'000'000)}, law, 1000);
    ASSERT_TRUE(at_cap);
    EXPECT_EQ(sa::trials_per_run(*at_cap), 1'000'000'000);
    const auto past_cap =
        sa::cooling_schedule::make({1e20, level_temperature(1'000'001)}, law, 1000);
    ASSERT_FALSE(past_cap);
    EXPECT_EQ(past_cap.error().kind, run_too_long);
    EXPECT_EQ(past_cap.error().shown, "1e+09");
    EXPECT_TRUE(past_cap.error().value.starts_with("T0 1e+20, alpha 0.9999, final T 3.64"))
        << past_cap.error().value;
}

}  // namespace

// The geometric step in double arithmetic is the step in extended precision, for every product
// a schedule can form: temperatures from 1e-45 to 1e30 and factors of every size, those next to
// 1 included. A product rounded twice differs from its nearest double about once in 4000, and
// every such one is met here many times.
TEST(Schedule, TheStepInDoubleIsTheExtendedStep) {
    std::mt19937_64 engine(5);
    std::uniform_real_distribution<double> exponent(std::log(1e-45), std::log(1e30));
    std::uniform_int_distribution<std::uint32_t> float_bits(1, 0x3F7F'FFFFU);
    long rounded_twice = 0;
    for (int i = 0; i < 4'000'000; ++i) {
        const double temperature = std::exp(exponent(engine));
        const auto alpha = static_cast<double>(std::bit_cast<float>(float_bits(engine)));
        const double step = sa::cool(temperature, alpha);
        ASSERT_EQ(sa::cool_in_double(temperature, alpha), step) << temperature << " " << alpha;
        rounded_twice += step != temperature * alpha ? 1 : 0;
    }
    EXPECT_GT(rounded_twice, 400);
    for (const double t : sa::levels_of(demo_schedule)) {
        EXPECT_EQ(sa::cool_in_double(t, 0.97F), sa::cool(t, 0.97F));
    }
}
