#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plan/plan.hpp"
#include "population/population.hpp"
#include "study/study.hpp"
#include "text/text.hpp"
#include "time_to_solution/time_to_solution.hpp"

// What sa_study prints and writes: the text report, CSV files, text charts and pictures drawn
// by gnuplot. Each is built from the study's results alone.

namespace sa {

// ---- Texts every output shares

// A column of a text table: its width and its two heading lines.
struct table_column {
    int width;
    const char* upper;
    const char* lower;
};

// Rows of cells under the columns' two heading lines, right-aligned, a space between.
std::string table_text(std::span<const table_column> columns,
                       const std::vector<std::vector<std::string>>& rows);

// A row for each case under the columns' heading; where the cases are not all under the demo's
// acceptance, a table for each rule, under its title, the cases in their order.
std::string table_of_cases(
    std::span<const table_column> columns, const std::vector<case_result>& results,
    const std::function<std::vector<std::string>(const case_result&)>& row_of);

// Every line of a report fits this many columns.
constexpr int report_width = 80;

// `line` broken after an occurrence of `break_after` wherever it would pass the report's width,
// each line after the first indented by `indent` spaces.
std::string wrapped(std::string_view line, int indent, std::string_view break_after = " ");

// "run 5", "runs 5 to 9".
std::string runs_text(std::uint64_t first, std::uint64_t last);

// A number within the column's width: whole if it fits, else with fewer digits.
std::string fit(double value, const table_column& within);

// The number in `pattern` where that fits the column, else as fit() has it.
std::string fit(double value, const char* pattern, const table_column& within);

// The columns that name a case at the left of both sweep tables, 46 characters: T0, alpha (or
// the cooling law), final T, trials per level, bits, levels and trials per run.
inline constexpr std::array<table_column, 7> schedule_columns = {{{6, "", "T0"},
                                                                  {7, "", "alpha"},
                                                                  {6, "final", "T"},
                                                                  {4, "tri-", "als"},
                                                                  {4, "", "bits"},
                                                                  {6, "", "levels"},
                                                                  {7, "trials", "per run"}}};
std::vector<std::string> schedule_cells(const study_case& study);

// The schedule's columns followed by `more`.
std::vector<table_column> after_schedule_columns(std::initializer_list<table_column> more);

// What a case costs: "227 levels, 1816 trials per run".
std::string describe_cost(const study_case& study);

// ---- The text report

// The temperatures chosen for each grid, and how; nothing when none was.
std::string automatic_temperatures_text(const std::vector<automatic_temperatures>& chosen);

// The schedule of a case and what it costs, as a report and a trace begin.
std::string schedule_heading(const study_case& study);

// The schedule of a case on lines of its own, indented by two.
std::string described_case(const study_case& study);

// "1 run", "18.4 runs": runs needed, not rounded to whole runs.
std::string runs_count(double runs);

// The report of a single case: its grid's optimum, the summary and the two text charts.
std::string single_report(const case_result& result, const tabulated_grid& grid,
                          const std::vector<run_outcome>& runs, const seed_range& range);

// One line per case, each within 80 columns, under a two-line heading.
std::string sweep_table(const std::vector<case_result>& results);

// The cheapest case (fewest trials per run) whose exact-optimum share reaches `percent`.
std::optional<std::size_t> cheapest_reaching(const std::vector<case_result>& results,
                                             double percent);
std::string target_line(const std::vector<case_result>& results, double percent);

// ---- Time to solution with restarts, 99 %

// The single report's lines on it, for the exact optimum and the global peak.
std::string tts_lines(const case_result& result);

// One line per case under the sweep table: R99, TTS99 in trials and in seconds, and the
// global peak's TTS99 in trials.
std::string tts_table(const std::vector<case_result>& results);

// The case with the least TTS99 on the exact optimum, or that no run of any case reached it.
std::string least_tts_line(const std::vector<case_result>& results);

// A traced run, written as it goes: where it starts with the table's heading, a line per
// level, and where it ends.
std::string trace_heading(const trace_start& start);
std::string trace_line(const level_summary& level);
std::string trace_ending(const landscape& f, const run_report& report);

// ---- CSV files: one row per case, or one row per level of a traced run

// Where a study's rows came from, written beside them so that studies split with --first-run
// over several machines can be merged and checked.
struct study_origin {
    std::uint32_t seed;
    std::uint64_t first_run;
    bool medians_measured;  // false once merged: medians of parts give no median of the whole
};

std::string study_csv(const std::vector<case_result>& results, const study_origin& origin);

// A row of a study's CSV read back: the case and its summary (of its landmarks only whether its
// grid has a second hill, which an empty second_peak_runs says it has not), and its origin.
struct study_csv_row {
    case_result result;
    study_origin origin;
};

// Why a text is no study's CSV by this program: where, and what is wrong there: a value that
// the request's rules refuse, for a front end to put into words, or else words that follow
// the place (after a colon where a column is named).
struct csv_fault {
    std::size_t line;    // from 1; 0 for the text as a whole
    std::string column;  // the field's column; empty for the line or the text
    std::optional<fault> refused;
    std::string words;
};

// The rows of a study's CSV, each field checked as the command line checks the value it
// stands for, and each that follows from the others checked against them.
expected<std::vector<study_csv_row>, csv_fault> read_study_csv(std::string_view text);
std::string trace_csv_heading();
std::string trace_csv_row(const level_summary& level);

// ---- Runs followed level by level against the equilibrium (sa_study --population)

// A few levels' lines and where the runs end against the equilibrium, within 80 columns.
std::string population_report(const population_study& population);

// A row per level: where the runs stand on the hills of f's two highest peaks, the
// equilibrium's mass there, and the distance between the two over all the hills.
std::string population_csv(const population_study& population);

// ---- A landscape's hills on a grid (sa_study --hills)

// The hills of a landscape on a grid, found once for the report, the CSV and the picture.
struct grid_hills {
    const tabulated_space& space;
    grid_landmarks landmarks;
    std::vector<hill> hills;  // the highest first
};
grid_hills hills_on_grid(const tabulated_space& space);

// The landscape and its grid, its exact optimum, and a line per hill: where it peaks, the x
// its basin spans and its share of the grid's points.
std::string hills_report(const grid_hills& found);

// A row per hill, the highest first: hill,top_x,top_value,from_x,to_x,points.
std::string hills_csv(const grid_hills& found);

// ---- Text charts, 80 columns wide: f, and where the runs ended beneath it

constexpr int chart_width = report_width;
constexpr int chart_margin = 8;  // room for the value labels on the left
constexpr int chart_columns = chart_width - chart_margin;

std::string text_charts(const tabulated_space& space, const std::vector<run_outcome>& runs);

// The counts as bars of '#', `rows` lines high, the tallest bar reaching the top.
std::string plot_bars(const std::vector<long>& counts, int rows);

// Each bar's count beside the x at its column's middle, as many to a line as fit.
std::string bar_counts(const std::vector<long>& counts, float x_min, float x_max);

// ---- Pictures drawn by gnuplot, which reads a script with its data on a pipe. Each drawing
// returns why it failed, or nothing when the file holds a whole picture.

// Whether gnuplot can write a picture of this file's kind (.svg or .png).
bool plot_format_supported(const std::string& path);

// Whether a gnuplot program is on the PATH.
bool gnuplot_available();

// Ends a gnuplot still drawing, with whatever it started, and waits for it, so that nothing
// writes the picture once it is removed; safe in a signal handler.
void stop_drawing();

// f over the interval, with the histogram of where the runs' best x lie beneath it.
std::optional<std::string> plot_study(const std::string& path, const case_result& result,
                                      const tabulated_space& space,
                                      const std::vector<run_outcome>& runs);

// Exact-optimum share against trials per run, one line per value of what varies most.
std::optional<std::string> plot_sweep(const std::string& path,
                                      const std::vector<case_result>& results);

// The runs as a density over x and level beside the equilibrium's, and the shares of the two
// highest hills and the distance against the level.
std::optional<std::string> plot_population(const std::string& path,
                                           const population_study& population);

// f over the interval, each hill's basin shaded, the two highest in colours of their own.
std::optional<std::string> plot_hills(const std::string& path, const grid_hills& found);

// Temperature, current value and best value, at the levels given.
std::optional<std::string> plot_trace(const std::string& path, const study_case& study,
                                      const std::vector<level_summary>& levels);

}  // namespace sa
