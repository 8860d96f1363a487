#pragma once

#include <optional>
#include <string>
#include <vector>

#include "study/study.hpp"

// The texts sa_study prints and writes: reports, tables and CSV files.

namespace sa {

// A case and what its runs added up to.
struct case_result {
    study_case study;
    grid_landmarks landmarks;
    study_summary summary;
};

// The schedule and encoding in one line, and what they cost.
std::string describe_case(const study_case& study);
std::string describe_cost(const study_case& study);

// The report of a single case: its grid's optimum, the summary and the two text charts.
std::string single_report(const case_result& result, const search_space& space,
                          const std::vector<run_record>& runs, const run_range& range,
                          double scan_seconds);

// One line per case, each within 80 columns, under a two-line heading.
std::string sweep_table(const std::vector<case_result>& results);

// The cheapest case (fewest trials per run) whose exact-optimum share reaches `percent`.
std::optional<std::size_t> cheapest_reaching(const std::vector<case_result>& results,
                                             double percent);
std::string target_line(const std::vector<case_result>& results, double percent);

// A traced run, one line per level.
std::string trace_table(const traced_run& trace);

// CSV files: one row per case, or one row per level of a traced run.
std::string study_csv(const std::vector<case_result>& results);
std::string trace_csv(const traced_run& trace);

}  // namespace sa
