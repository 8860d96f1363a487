#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "study_output/study_output.hpp"

// A study split by its runs, over machines (sa_study --first-run, then sa_study merge) or over
// the page's workers (split_runs), added up to the whole: what each part must be, and the
// sum. The counts and the sum of best values add up exactly, so the whole has the
// figures of one study of all the runs but for its timings. Computes only.

namespace sa {

// "a.csv line 3, t0": where in a part a fault lies; a line of 0 names the part alone.
std::string place_in(const std::string& name, std::size_t line, const std::string& column = "");

// One part read back from a study's CSV: one range of runs of every schedule.
struct study_part {
    std::string name;  // as a message names it
    std::vector<study_csv_row> rows;

    std::uint64_t first() const { return rows.front().origin.first_run; }
    std::uint64_t last() const {
        return first() + static_cast<std::uint64_t>(rows.front().result.summary.runs) - 1;
    }
};

// Why a part's rows do not hold one range of runs: rows that differ in their first run or
// their count.
std::optional<std::string> ragged_part(const study_part& part);

// Why parts sorted by their first run do not hold runs first .. last, each once.
std::optional<std::string> uncovered_runs(const std::vector<study_part>& parts, std::uint64_t first,
                                          std::uint64_t last);

// Why counts of a case's runs cannot be those of runs on its grid.
std::optional<std::string> impossible_counts(const study_summary& summary,
                                             const grid_landmarks& grid);

// The sum of parts added one at a time: the memory of one part and the sum, however many.
class study_sum {
  public:
    // Adds a part, or says why it is no part of the study of the parts before it: another seed
    // in any row, or other schedules.
    std::optional<std::string> add(const study_part& part);

    // Every case, its summary that of all the parts added (without landmarks: a part's CSV
    // does not hold them).
    const std::vector<case_result>& results() const { return results_; }

  private:
    std::optional<study_part> first_;  // its first row, against which the others are held
    std::vector<case_result> results_;
};

}  // namespace sa
