#pragma once

#include <string>
#include <vector>

#include "study/report.hpp"

// Pictures drawn by gnuplot, which reads a script with its data on a pipe. The only code that
// talks to gnuplot.

namespace sa {

// Whether gnuplot can write a picture of this file's kind (.svg or .png).
bool plot_format_supported(const std::string& path);

// Whether a gnuplot program is on the PATH.
bool gnuplot_available();

// f over the interval, with the histogram of where the runs' best x lie beneath it.
bool plot_study(const std::string& path, const case_result& result, const search_space& space,
                const std::vector<run_record>& runs);

// Exact-optimum share against trials per run, one line per value of what varies most.
bool plot_sweep(const std::string& path, const std::vector<case_result>& results);

// Temperature, current value and best value, level by level.
bool plot_trace(const std::string& path, const study_case& study, const traced_run& trace);

}  // namespace sa
