#include "study/study.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <regex>

#include "support/schedules.hpp"
#include "support/stdio_capture.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);

// Run i is what sa_demo prints for choices 1 and 2 when started in clock second seed + i.
TEST(StudyRuns, EachRunIsTheDemosSessionForItsSecond) {
    const sa::tabulated_space space(sa::demo_landscape(), demo);
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

// Parts of a study, for workers or machines: each run in one part, in order.
TEST(SplitRuns, CutsTheRunsIntoRangesThatFollowOnAsEvenAsCanBe) {
    struct split_case {
        long runs;
        int parts;
        std::vector<long> sizes;
    };
    const std::vector<split_case> cases = {
        {10, 1, {10}},
        {10, 3, {4, 3, 3}},
        {10, 5, {2, 2, 2, 2, 2}},
        {3, 8, {1, 1, 1}},
        {1, 4, {1}},
        {7, 0, {7}},
        {100'000, 8, std::vector<long>(8, 12'500)},
    };
    for (const split_case& c : cases) {
        const sa::seed_range whole{42, 1000, c.runs};
        const std::vector<sa::seed_range> parts = sa::split_runs(whole, c.parts);
        std::vector<long> sizes;
        std::uint64_t next = whole.first;
        for (const sa::seed_range& part : parts) {
            EXPECT_EQ(part.seed, whole.seed);
            EXPECT_EQ(part.first, next) << c.runs << " runs in " << c.parts;
            next += static_cast<std::uint64_t>(part.count);
            sizes.push_back(part.count);
        }
        EXPECT_EQ(sizes, c.sizes) << c.runs << " runs in " << c.parts;
    }
}

// The runs split into parts are the whole study's, and their summaries add up to its summary:
// the sum of the best values exactly, so that the mean is the same to the last bit.
TEST(StudyRuns, TheSameWhenSplitIntoParts) {
    const sa::tabulated_space space(sa::demo_landscape(), demo);
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

// The hills' basins cut the grid into parts: every run's best point lies on exactly one hill,
// and the two highest hold the runs the summary counts on the global and second peaks.
TEST(StudySummary, EveryRunsBestPointLiesOnOneHill) {
    const sa::tabulated_space space(sa::demo_landscape(), demo);
    const sa::study_case study{schedule_of(10.0, 0.1, sa::geometric{0.5}, 8), demo.n_bits};
    const auto runs = sa::study_runs(space, study, {7, 0, 200}, 2);
    const std::vector<long> on_hills = sa::runs_on_each_hill(runs, sa::hills_of(space));
    const sa::study_summary summary = sa::summarize(runs, sa::find_landmarks(space));
    EXPECT_EQ(std::accumulate(on_hills.begin(), on_hills.end(), 0L), 200);
    EXPECT_EQ(on_hills[0], summary.global_peak);
    EXPECT_EQ(on_hills[1], summary.second_peak);
    EXPECT_LT(on_hills[0] + on_hills[1], 200);  // some end on other hills
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

// The bins of [-2, 2] are equal and closed at their left end: x falls in the bin its distance
// from -2 fills, counted down, and 2 itself in the last.
TEST(StudySummary, EachXFallsInTheBinItFills) {
    const sa::encoding enc = sa::encoding_with(4, -2.0F, 2.0F);
    const struct {
        float x;
        int bin;  // of 4, each 1 wide
    } cases[] = {
        {-2.0F, 0}, {-1.4F, 0}, {std::nextafter(-1.0F, -2.0F), 0}, {-1.0F, 1}, {-0.6F, 1},
        {0.0F, 2},  {0.6F, 2},  {std::nextafter(1.0F, 0.0F), 2},   {1.0F, 3},  {2.0F, 3},
    };
    std::vector<sa::run_outcome> ends;
    for (const auto& test : cases) {
        EXPECT_EQ(sa::bin_of(test.x, enc, 4), test.bin) << test.x;
        ends.push_back({0, test.x, 0.0F, 0.0L, 0.0});
    }
    EXPECT_EQ(sa::histogram_of_ends(ends, enc, 4), (std::vector<long>{3, 2, 3, 2}));
}

}  // namespace
