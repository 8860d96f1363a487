#pragma once

#include <optional>
#include <string>
#include <vector>

#include "study/study.hpp"

// What sa_study prints and writes: the text report, CSV files, text charts and pictures drawn
// by gnuplot. Each is built from the study's results alone.

namespace sa {

// ---- Texts every output shares

// printf into a std::string.
__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...);

// The shortest text that reads back as the same float, as the user would have typed it.
std::string shortest(float value);
std::string shortest(double widened_float);

// "1 trial", "2 trials".
std::string count_of(std::int64_t count, const char* singular, const char* plural);

// The schedule and encoding in one line, and what they cost.
std::string describe_case(const study_case& study);
std::string describe_cost(const study_case& study);

// ---- The text report

// The report of a single case: its grid's optimum, the summary and the two text charts.
std::string single_report(const case_result& result, const tabulated_grid& grid,
                          const std::vector<run_outcome>& runs, const seed_range& range);

// One line per case, each within 80 columns, under a two-line heading.
std::string sweep_table(const std::vector<case_result>& results);

// The cheapest case (fewest trials per run) whose exact-optimum share reaches `percent`.
std::optional<std::size_t> cheapest_reaching(const std::vector<case_result>& results,
                                             double percent);
std::string target_line(const std::vector<case_result>& results, double percent);

// A traced run, written as it goes: where it starts with the table's heading, a line per
// level, and where it ends.
std::string trace_heading(const trace_start& start);
std::string trace_line(const level_summary& level);
std::string trace_ending(const run_report& report);

// ---- CSV files: one row per case, or one row per level of a traced run

std::string study_csv(const std::vector<case_result>& results);
std::string trace_csv_heading();
std::string trace_csv_row(const level_summary& level);

// ---- Text charts, 80 columns wide: f, and where the runs ended beneath it

constexpr int chart_width = 80;
constexpr int chart_margin = 8;  // room for the value labels on the left
constexpr int chart_columns = chart_width - chart_margin;

std::string text_charts(const tabulated_space& space, const std::vector<run_outcome>& runs);

// The counts as bars of '#', `rows` lines high, the tallest bar reaching the top.
std::string plot_bars(const std::vector<long>& counts, int rows);

// Each bar's count beside the x at its column's middle, as many to a line as fit.
std::string bar_counts(const std::vector<long>& counts, float x_min, float x_max);

// ---- Pictures drawn by gnuplot, which reads a script with its data on a pipe. Each drawing
// returns an error message, or nothing when the file holds a whole picture.

// Whether gnuplot can write a picture of this file's kind (.svg or .png).
bool plot_format_supported(const std::string& path);

// Whether a gnuplot program is on the PATH.
bool gnuplot_available();

// f over the interval, with the histogram of where the runs' best x lie beneath it.
std::string plot_study(const std::string& path, const case_result& result,
                       const tabulated_space& space, const std::vector<run_outcome>& runs);

// Exact-optimum share against trials per run, one line per value of what varies most.
std::string plot_sweep(const std::string& path, const std::vector<case_result>& results);

// Temperature, current value and best value, at the levels given.
std::string plot_trace(const std::string& path, const study_case& study,
                       const std::vector<level_summary>& levels);

}  // namespace sa
