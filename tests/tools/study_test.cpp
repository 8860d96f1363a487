#include "study.hpp"

#include <gtest/gtest.h>

#include "chart.hpp"
#include "options.hpp"

namespace {

run_record record(int best_d, float best_fo, long double true_value, double seconds) {
    return {best_d, 0.0F, best_fo, true_value, seconds};
}

TEST(Study, SharesMeansAndGaps) {
    const grid_optimum optimum{48917, -0.50716F, 1.501564L, 0.0};
    const peak_range global_peak{40000, 57000};
    const peak_range second_peak{65048, 65049};
    const std::vector<run_record> runs = {
        record(48917, 1.5F, 1.5L, 3.0),    // the optimum itself
        record(48900, 1.4F, 1.375L, 1.0),  // on the global peak only
        record(65049, 1.25F, 1.25L, 2.0),  // second peak
        record(10000, 0.5F, 0.5L, 4.0),    // elsewhere
    };
    const study_summary summary = summarize(runs, optimum, global_peak, second_peak);
    EXPECT_EQ(summary.runs, 4);
    EXPECT_DOUBLE_EQ(summary.exact_share, 0.25);
    EXPECT_DOUBLE_EQ(summary.global_peak_share, 0.5);
    EXPECT_DOUBLE_EQ(summary.second_peak_share, 0.25);
    EXPECT_NEAR(summary.mean_best, (1.5 + 1.4 + 1.25 + 0.5) / 4, 1e-7);
    EXPECT_EQ(summary.worst_best, 0.5F);
    EXPECT_NEAR(summary.max_gap, 1.4 - 1.375, 1e-7);
    EXPECT_NEAR(summary.mean_gap, (1.4 - 1.375) / 4, 1e-7);
    EXPECT_DOUBLE_EQ(summary.median_seconds, 2.5);
    EXPECT_EQ(summarize({}, optimum, global_peak, second_peak).runs, 0);
}

TEST(Study, MedianOfOddAndEvenCounts) {
    EXPECT_DOUBLE_EQ(median({5.0, 1.0, 3.0}), 3.0);
    EXPECT_DOUBLE_EQ(median({4.0, 1.0, 3.0, 2.0}), 2.5);
    EXPECT_DOUBLE_EQ(median({}), 0.0);
}

TEST(Study, PeaksAreSeparatedByTheirValley) {
    const study_problem problem;
    const peak_range global_peak = peak_around(problem, 48917);
    EXPECT_TRUE(global_peak.contains(48917));
    EXPECT_FALSE(global_peak.contains(65048));
    const peak_range second_peak = peak_around(problem, 65048);
    EXPECT_TRUE(second_peak.contains(65049));
    EXPECT_EQ(second_peak.first, global_peak.last);  // the valley between them
    EXPECT_EQ(peak_around(problem, 65049).first, second_peak.first);
}

TEST(Chart, ColumnsCoverTheIntervalEvenly) {
    EXPECT_EQ(plot_column(-2.0F, -2.0F, 2.0F), 0);
    EXPECT_EQ(plot_column(2.0F, -2.0F, 2.0F), plot_columns - 1);
    EXPECT_EQ(plot_column(0.0F, -2.0F, 2.0F), plot_columns / 2);
    EXPECT_EQ(plot_column(-0.001F, -2.0F, 2.0F), plot_columns / 2 - 1);
    const std::vector<int> counts = column_counts({-2.0F, -0.5F, -0.5F, 2.0F}, -2.0F, 2.0F);
    ASSERT_EQ(counts.size(), static_cast<std::size_t>(plot_columns));
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[static_cast<std::size_t>(plot_column(-0.5F, -2.0F, 2.0F))], 2);
    EXPECT_EQ(counts.back(), 1);
}

TEST(Chart, EveryNonEmptyColumnShowsABar) {
    std::vector<int> counts(plot_columns, 0);
    counts[3] = 1000;
    counts[5] = 1;
    const std::string bars = plot_bars(counts, 4);
    const std::string lowest_row = bars.substr(bars.rfind('\n', bars.size() - 2) + 1);
    EXPECT_EQ(lowest_row[chart_margin + 3], '|');
    EXPECT_EQ(lowest_row[chart_margin + 5], '|');
    EXPECT_EQ(lowest_row[chart_margin + 4], ' ');
    EXPECT_EQ(bars.substr(0, chart_margin), "  1000 |");
}

TEST(Options, ValuesAndErrors) {
    auto parsed = parse_options({"--runs", "250", "--seed", "7", "--trace"});
    EXPECT_TRUE(parsed.error.empty());
    EXPECT_EQ(parsed.options.runs, 250);
    EXPECT_EQ(parsed.options.seed, 7UL);
    EXPECT_TRUE(parsed.options.seed_given);
    EXPECT_TRUE(parsed.options.trace);
    EXPECT_EQ(parse_options({}).options.runs, 1000);
    EXPECT_TRUE(parse_options({"--help"}).options.help);
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--runs", "0"},
                                                                 {"--runs", "-3"},
                                                                 {"--runs", "ten"},
                                                                 {"--runs", "5x"},
                                                                 {"--runs"},
                                                                 {"--seed", "-1"},
                                                                 {"--seed", "4294967296"},
                                                                 {"--fast"}}) {
        EXPECT_FALSE(parse_options(bad).error.empty()) << bad.front();
    }
}

}  // namespace
