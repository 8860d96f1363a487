#include "study_output/study_output.hpp"

#include <gtest/gtest.h>

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);

TEST(StudyReport, SweepLinesFitEightyColumnsAndTheTargetIsTheCheapest) {
    std::vector<sa::case_result> results;
    for (const float alpha : {0.8F, 0.99F, 0.9999F}) {
        sa::case_result result{{{1000.0F, 0.00001F, sa::geometric{alpha}, 1000}, 24}, {}, {}};
        result.summary.runs = 10'000'000;
        result.summary.exact_optimum = alpha > 0.9F ? 9'000'000 : 1;
        result.summary.mean_best = 1.501564;
        result.summary.median_seconds = 0.123456;
        results.push_back(result);
    }
    const std::string table = sa::sweep_table(results);
    std::size_t start = 0;
    for (std::size_t end = table.find('\n'); end != std::string::npos;
         start = end + 1, end = table.find('\n', start)) {
        EXPECT_LE(end - start, 80U) << table.substr(start, end - start);
    }
    EXPECT_EQ(sa::cheapest_reaching(results, 50.0), 1U);
    EXPECT_FALSE(sa::cheapest_reaching(results, 95.0));
}

TEST(Chart, BarsAvoidTheAxisAndEveryCountIsListed) {
    std::vector<long> counts(sa::chart_columns, 0);
    counts[3] = 1000;
    counts[5] = 1;
    const std::string bars = sa::plot_bars(counts, 4);
    const std::string lowest_row = bars.substr(bars.rfind('\n', bars.size() - 2) + 1);
    EXPECT_EQ(lowest_row.substr(sa::chart_margin + 3, 3), "# #");
    EXPECT_EQ(bars.substr(0, sa::chart_margin), "  1000 |");
    EXPECT_EQ(sa::bar_counts(counts, -2.0F, 2.0F), "  x -1.81: 1000  x -1.69: 1\n");
    EXPECT_EQ(sa::bin_of(2.0F, demo, sa::chart_columns), sa::chart_columns - 1);
}

// A study's CSV read back gives the cases and counts that write it again to the byte: the
// merge adds up what it reads.
TEST(StudyCsv, ReadsBackWhatItWrote) {
    const sa::encoding enc = sa::study_encoding(10);
    const sa::tabulated_space space(enc);
    const sa::grid_landmarks landmarks = sa::find_landmarks(space);
    std::vector<sa::case_result> results;
    for (const sa::cooling& law : {sa::cooling(sa::geometric{0.9F}), sa::cooling(sa::linear{40}),
                                   sa::cooling(sa::lundy_mees{60})}) {
        const sa::study_case study{{2.0F, 0.001F, law, 3}, 10};
        const auto runs = sa::study_runs(space, study, {11, 0, 50}, 1);
        results.push_back({study, landmarks, sa::summarize(runs, landmarks)});
        // Times as the CSV holds them, to the microsecond.
        results.back().summary.median_seconds = 12.5e-6;
        results.back().summary.total_seconds = 0.25;
    }
    const std::string written = sa::study_csv(results, {11, 250, true});
    const auto rows = sa::read_study_csv(written);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), results.size());
    std::vector<sa::case_result> read;
    for (std::size_t i = 0; i < rows->size(); ++i) {
        const sa::study_csv_row& row = (*rows)[i];
        EXPECT_EQ(row.result.study, results[i].study) << i;
        EXPECT_EQ(row.result.summary.exact_optimum, results[i].summary.exact_optimum) << i;
        EXPECT_EQ(row.origin.first_run, 250U);
        EXPECT_EQ(row.version, SA_DEMO_VERSION);
        read.push_back(row.result);
    }
    EXPECT_EQ(sa::study_csv(read, (*rows)[0].origin), written);
}

}  // namespace
