#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "study_output/case_of_fields.hpp"
#include "study_output/study_output.hpp"

// A study's CSV as the manual lists its columns, read back field by field, and each field the
// reader refuses with its exact fault; the trace's row.

namespace {

using enum sa::study_field;

const std::string heading =
    "t0,alpha,t_final,trials_per_level,bits,levels,trials_per_run,runs,exact_optimum_runs,"
    "global_peak_runs,second_peak_runs,mean_best,median_run_us,total_run_seconds,cooling,"
    "exact_share_low,exact_share_high,r99,tts99_trials,tts99_trials_low,tts99_trials_high,"
    "tts99_seconds,peak_r99,peak_tts99_trials,peak_tts99_seconds,seed,first_run,median_measured,"
    "version,best_sum,acceptance,landscape\n";

// Two cases: the README's sweep's first, and one under linear cooling and continuous acceptance
// whose runs never reach the global peak, so that it has no time to solution, on a formula
// whose comma the file quotes.
std::vector<sa::case_result> two_cases() {
    std::vector<sa::case_result> results = {
        {case_of_fields({{t0, "1"}, {alpha, "0.9"}, {t_final, "0.001"}}),
         {},
         // A sum of floats, to 2^-24: more digits than a double holds.
         {.runs = 2000,
          .exact_optimum = 146,
          .global_peak = 1519,
          .second_peak = 440,
          .best_sum = 49'274'890'423.0L / (1 << 24),
          .median_seconds = 9.1e-6,
          .total_seconds = 0.0194}},
        // Runs faster than the clock can tell.
        {case_of_fields({{t0, "1"},
                         {t_final, "0.001"},
                         {laws, "linear"},
                         {levels, "100"},
                         {acceptance, "continuous"},
                         {landscape, "max(x, 0) + 1"},
                         {x_min, "-1"},
                         {x_max, "2"}}),
         {},
         {.runs = 50,
          .exact_optimum = 0,
          .global_peak = 0,
          .second_peak = 50,
          .best_sum = 62.5L,
          .median_seconds = 0.0,
          .total_seconds = 0.001}}};
    for (sa::case_result& result : results) {
        result.summary.mean_best = sa::mean_best_of(result.summary.best_sum, result.summary.runs);
    }
    return results;
}

TEST(StudyCsv, WritesEveryColumnAndReadsEachBack) {
    const std::vector<sa::case_result> results = two_cases();
    const std::string text = sa::study_csv(results, {5, 0, true});
    EXPECT_EQ(text, heading +
                        "1,0.9,0.001,8,17,66,528,2000,146,1519,440,1.46850617,9.100,0.019400,"
                        "geometric,0.0623993595,0.0852377989,60.7528508,32077.5052,27292.6123,"
                        "37738.4051,0.000589302653,3.23161857,1706.29461,3.13467002e-05,5,0,1," +
                        SA_DEMO_VERSION + ",2937.0123400092124939,demo,demo\n" +
                        "1,0,0.001,8,17,100,800,50,0,0,50,1.25,0.000,0.001000,linear,0,"
                        "0.0713475991,,,49771.6506,,,,,,5,0,1," SA_DEMO_VERSION
                        ",62.5,continuous,\"max(x, 0) + 1 over [-1, 2]\"\n");
    const auto rows = sa::read_study_csv(text);
    ASSERT_TRUE(rows) << rows.error().words;
    ASSERT_EQ(rows->size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        const sa::study_summary& read = (*rows)[i].result.summary;
        const sa::study_summary& written = results[i].summary;
        EXPECT_EQ((*rows)[i].result.study, results[i].study);
        EXPECT_EQ(std::tie(read.runs, read.exact_optimum, read.global_peak, read.second_peak,
                           read.best_sum, read.mean_best, read.median_seconds, read.total_seconds),
                  std::tie(written.runs, written.exact_optimum, written.global_peak,
                           written.second_peak, written.best_sum, written.mean_best,
                           written.median_seconds, written.total_seconds));
        EXPECT_EQ(std::tie((*rows)[i].origin.seed, (*rows)[i].origin.first_run,
                           (*rows)[i].origin.medians_measured),
                  std::make_tuple(5U, 0U, true));
    }
}

// The text with field `column` of line `line` (the heading is line 1) replaced by `value`.
std::string with_field(const std::string& text, std::size_t line, const std::string& column,
                       const std::string& value) {
    const std::string before = heading.substr(0, ("," + heading).find("," + column + ","));
    const auto index = static_cast<std::size_t>(std::count(before.begin(), before.end(), ','));
    std::istringstream lines(text);
    std::string changed;
    std::size_t number = 0;
    for (std::string row; std::getline(lines, row);) {
        if (++number == line) {
            std::size_t start = 0;
            for (std::size_t i = 0; i < index; ++i) {
                start = row.find(',', start) + 1;
            }
            row.replace(start, row.find(',', start) - start, value);
        }
        changed += row + "\n";
    }
    return changed;
}

// A fault as one line, to compare: where, and the refused value or the words.
std::string told(const sa::csv_fault& wrong) {
    std::string text = sa::format("line %zu%s%s: ", wrong.line, wrong.column.empty() ? "" : ", ",
                                  wrong.column.c_str());
    if (wrong.refused) {
        const sa::fault& f = *wrong.refused;
        return text + sa::format("kind %d, field %d, '%s', %s, limit '%s'",
                                 static_cast<int>(f.kind),
                                 f.field ? static_cast<int>(*f.field) : -1, f.value.c_str(),
                                 f.shown.c_str(), f.limit.c_str());
    }
    return text + wrong.words;
}

// Each field that follows from the rest of its row must be what the writer gives for it, and
// each count, time and value within its rules. Line 2 is the README's case, line 3 the linear.
TEST(StudyCsv, RefusesEachFieldAgainstTheRestOfItsRow) {
    const std::string text = sa::study_csv(two_cases(), {5, 0, true});
    using enum sa::fault_kind;
    const auto fault = [](sa::fault_kind kind, std::optional<sa::study_field> field,
                          const char* value, const char* shown, const char* limit) {
        return std::optional(sa::fault{kind, field, value, shown, limit});
    };
    struct refusal {
        std::size_t line;
        const char* column;
        const char* value;
        std::optional<sa::fault> refused;
        const char* gives = "";  // what the rest of the row gives, where the value disagrees
    };
    const std::vector<refusal> refusals = {
        {2, "exact_share_low", "0.0623993594", {}, "'0.0623993595'"},
        {2, "tts99_trials_high", "37738", {}, "'37738.4051'"},
        {2, "peak_tts99_trials", "1706", {}, "'1706.29461'"},
        {3, "alpha", "0.9", {}, "'0'"},
        {2, "peak_tts99_seconds", "", {}, "a time"},
        {3, "tts99_seconds", "1", {}, "no time"},
        {2, "tts99_seconds", "-1", fault(out_of_range, {}, "-1", "-1", "at least 0")},
        {2, "global_peak_runs", "2001", fault(out_of_range, {}, "2001", "2001", "from 0 to 2000")},
        {2, "median_run_us", "100000000000001",
         fault(out_of_range, {}, "100000000000001", "100000000000001", "from 0 to 1e+14")},
        {2, "median_run_us", "1:2:1", fault(not_one_number, {}, "1:2:1", "'1:2:1'", "")},
        {3, "bits", "25", fault(out_of_range, bits, "25", "25", "from 2 to 24")},
    };
    for (const refusal& test : refusals) {
        const auto rows = sa::read_study_csv(with_field(text, test.line, test.column, test.value));
        const std::string words =
            test.refused ? ""
                         : sa::format("'%s' disagrees with the rest of the row, which gives %s",
                                      test.value, test.gives);
        EXPECT_EQ(rows ? "read" : told(rows.error()),
                  told({test.line, test.column, test.refused, words}));
    }

    // At the edges: a median of 10^8 s, and -0 s in all, read as 0.
    const auto edges = sa::read_study_csv(with_field(
        with_field(text, 2, "median_run_us", "100000000000000"), 3, "total_run_seconds", "-0"));
    ASSERT_TRUE(edges) << told(edges.error());
    EXPECT_EQ((*edges)[0].result.summary.median_seconds, 1e8);
    EXPECT_FALSE(std::signbit((*edges)[1].result.summary.total_seconds));
}

// As many schedules as a sweep may hold, and no more.
TEST(StudyCsv, HoldsAtMostTheSchedulesOfASweep) {
    const std::string text = sa::study_csv({two_cases().front()}, {5, 0, true});
    std::string most = heading;
    for (std::size_t i = 0; i < sa::max_schedules; ++i) {
        most += text.substr(heading.size());
    }
    const auto read = sa::read_study_csv(most);
    ASSERT_TRUE(read) << told(read.error());
    EXPECT_EQ(read->size(), sa::max_schedules);
    const auto refused = sa::read_study_csv(most + text.substr(heading.size()));
    ASSERT_FALSE(refused);
    EXPECT_EQ(told(refused.error()),
              "line 0: holds more than 10000 schedules, the most a sweep runs");
}

TEST(StudyCsv, TraceRow) {
    EXPECT_EQ(sa::trace_csv_heading(),
              "level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo\n");
    EXPECT_EQ(sa::trace_csv_row({3, 0.1, 5, 2, 8, -0.509235F, 1.501433F, 1.501461F}),
              "3,0.10000000000000001,5,2,8,-0.509235,1.501433,1.501461\n");
}

}  // namespace
