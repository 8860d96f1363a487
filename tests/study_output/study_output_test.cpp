#include "study_output/study_output.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/schedules.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);

// Every line of the text within 80 columns.
void expect_within_80_columns(const std::string& text) {
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        EXPECT_LE(end - start, 80U) << text.substr(start, end - start);
    }
}

// The widest figures a study can give: the longest temperatures, the most trials and runs, a
// single success in 10^7 runs of 10^9 trials that took days.
TEST(StudyReport, EveryLineFitsEightyColumnsAndTheTargetIsTheCheapest) {
    std::vector<sa::case_result> results;
    for (const float alpha : {0.8F, 0.99F, 0.9999F, 0.99999994F}) {
        sa::case_result result{
            {schedule_of(1.17549435e-38F, 1.1754942e-38F, sa::geometric{alpha}, 1'000'000), 24},
            {},
            {}};
        result.summary.runs = 10'000'000;
        result.summary.exact_optimum = alpha > 0.9F ? 9'000'000 : 1;
        result.summary.global_peak = alpha > 0.9F ? 9'999'999 : 1;
        result.summary.mean_best = 1.501564;
        result.summary.median_seconds = 123456.7;
        result.summary.total_seconds = 1.23456e12;
        results.push_back(result);
    }
    for (const std::string& text :
         {sa::sweep_table(results), sa::tts_table(results), sa::least_tts_line(results),
          sa::tts_lines(results.front()), sa::target_line(results, 100.0),
          sa::target_line(results, 50.0), sa::schedule_heading(results.back().study)}) {
        expect_within_80_columns(text);
    }
    EXPECT_EQ(sa::cheapest_reaching(results, 50.0), 1U);
    EXPECT_FALSE(sa::cheapest_reaching(results, 95.0));
}

// A cooling factor's cell in the 7-character column reads back as the same float: near 1 as the
// distance below it, which a rounded 0.99999994 and 0.9999999 would both show as 1.
TEST(StudyReport, CoolingFactorsNearOneAreToldApart) {
    const auto cell = [](float alpha) {
        return sa::schedule_cells({schedule_of(1.0, 0.999, sa::geometric{alpha}, 8), 17})[1];
    };
    EXPECT_EQ(cell(0.99999994F), "1-6e-8");
    EXPECT_EQ(cell(0.9999999F), "1-1e-7");
    EXPECT_EQ(cell(0.99999F), "0.99999");
    EXPECT_EQ(cell(0.97F), "0.97");
    // The floats just below 1, each one step further down.
    float alpha = 1.0F;
    for (int step = 1; step <= 16; ++step) {
        alpha = std::nextafter(alpha, 0.0F);
        const std::string text = cell(alpha);
        ASSERT_TRUE(text.starts_with("1-")) << text;
        EXPECT_LE(text.size(), 7U);
        EXPECT_EQ(static_cast<float>(1.0 - std::stod(text.substr(2))), alpha) << text;
    }
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
    const sa::encoding enc = sa::demo_landscape().grid(10);
    const sa::tabulated_space space(sa::demo_landscape(), enc);
    const sa::grid_landmarks landmarks = sa::find_landmarks(space);
    std::vector<sa::case_result> results;
    for (const sa::cooling& law : {sa::cooling(sa::geometric{0.9F}), sa::cooling(sa::linear{40}),
                                   sa::cooling(sa::lundy_mees{60})}) {
        const sa::study_case study{schedule_of(2.0F, 0.001F, law, 3), 10};
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
        EXPECT_EQ(row.result.summary.best_sum, results[i].summary.best_sum) << i;
        read.push_back(row.result);
    }
    EXPECT_EQ(sa::study_csv(read, (*rows)[0].origin), written);
}

}  // namespace
