#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "annealing/annealing.hpp"
#include "batch/batch.hpp"
#include "landmarks/landmarks.hpp"
#include "landscape/landscape.hpp"

// Many annealing runs, each exactly what sa_demo does on choices 1 and 2 when started in a
// given clock second, under one schedule or each of a list of cases, and what they add up to.
// Computes only: the front ends and the outputs print what it finds.

namespace sa {

// ---- A study's cases

// One schedule of a study, the number of digits of the grid it runs on, and the landscape
// searched there.
struct study_case {
    cooling_schedule schedule;
    int bits;
    sa::landscape landscape = demo_landscape();

    // The landscape's grid of `bits` digits.
    encoding grid() const { return landscape.grid(bits); }
    bool operator==(const study_case&) const = default;
};

// The schedule and encoding in one line: "T0 100, alpha 0.97, final T 0.1, 8 trials per
// level, 17 bits", a law without a cooling factor named in its place.
std::string describe_case(const study_case& study);

// How a file or a report names a landscape: "needle", or "sin(x) over [0, 3.1415927]" away
// from the demo's interval.
std::string landscape_label(const landscape& f);

// A schedule described, on the grid of `bits` digits.
std::string on_grid(const std::string& schedule, int bits);

// ---- The runs

// Runs first .. first + count - 1; run i draws from an engine seeded with seed + i.
struct seed_range {
    std::uint64_t seed;
    std::uint64_t first;
    long count;
};

// A range of `count` things from `first`: runs, or levels.
struct share_range {
    std::int64_t first;
    std::int64_t count;
};

// `count` things cut into at most `parts` ranges that follow on from 0, as even as can be, the
// first ones one longer than the others: as many as there are things when there are fewer.
std::vector<share_range> even_shares(std::int64_t count, int parts);

// The runs cut into at most `parts` ranges, as even_shares cuts them: for workers or machines
// that each run a part of a study.
std::vector<seed_range> split_runs(const seed_range& runs, int parts);

// How one run ended.
struct run_outcome {
    int best_d;
    float best_x;
    float best_fo;           // as reported: accumulated from the accepted changes
    long double true_value;  // f at the best x
    double seconds;
};

// Called now and then, on the calling thread, with the trials made so far by all the runs.
using progress_report = std::function<void(std::int64_t trials_done)>;

// The runs of one case, on `jobs` threads; the outcomes come in run order, the same for any
// number of threads apart from the timings. The space must be the case's grid.
// `observe`, if given, is told where the runs stand at the end of each level, from any thread.
std::vector<run_outcome> study_runs(const tabulated_space& space, const study_case& study,
                                    const seed_range& runs, int jobs,
                                    const progress_report& progress = {},
                                    const level_positions& observe = {});

// The first run of the range, level by level: `observe` sees its start, then each level as it
// ends, so that a run of any length is followed without holding its levels.
struct trace_start {
    solution start;
    float start_x;
};
run_report trace_run(const study_case& study, const seed_range& runs,
                     const std::function<void(const trace_start&)>& started,
                     const level_observer& observe);

// Seconds since a moment of the steady clock.
double seconds_since(std::chrono::steady_clock::time_point start);

// ---- The summary

// What the runs of one case add up to. Counts, sums and extremes are taken in run order, so
// they do not depend on the number of threads.
struct study_summary {
    long runs = 0;
    long exact_optimum = 0;  // best is the grid's optimum itself
    long global_peak = 0;    // best lies on the hill of f's highest peak
    long second_peak = 0;    // best lies on the hill of its second highest
    // The runs' best values added up in extended precision, which holds every sum of up to
    // 10^7 of them exactly (each is a float above 2^-5), so that parts add up to the whole.
    long double best_sum = 0.0L;
    double mean_best = 0.0;  // best_sum / runs
    float worst_best = 0.0F;
    double mean_gap = 0.0;  // |reported best - f(best x)|
    double max_gap = 0.0;
    double median_seconds = 0.0;
    double total_seconds = 0.0;  // of all runs, added up
};
study_summary summarize(const std::vector<run_outcome>& runs, const grid_landmarks& landmarks);

// The mean best value of `runs` runs whose best values add up to `best_sum`; 0 without runs.
double mean_best_of(long double best_sum, long runs);

// The summary of two parts of one case's runs: counts, sums and times add, extremes are the
// parts' extremes, and the other means are weighted by runs. So is the median time, which is
// then only an estimate: the parts' medians do not give the median of the whole.
study_summary merged_summary(const study_summary& a, const study_summary& b);

// A case and what its runs added up to.
struct case_result {
    study_case study;
    grid_landmarks landmarks;
    study_summary summary;
};

// The runs of every case of a plan, in its order, and what each added up to, with the outcomes
// of the last case for a report of a single one; its grid is the one `grids` keeps.
struct plan_results {
    std::vector<case_result> results;
    std::vector<run_outcome> last_runs;
};
// `progress` is told the trials made so far by the runs of all the cases.
plan_results run_plan(const std::vector<study_case>& cases, const seed_range& runs, int jobs,
                      grid_cache& grids, const progress_report& progress = {});

double median(std::vector<double> values);

// Percent of the runs.
double share(long count, long runs);

// How many of the runs' best x fall in each of `bins` (at least 1) equal parts of
// [x_min, x_max]; x_max belongs to the last.
std::vector<long> histogram_of_ends(const std::vector<run_outcome>& runs, const encoding& enc,
                                    int bins);

// How many of the runs' best points lie in each hill's basin, hill by hill; none on a hill the
// grid has no point on. The basins cut the grid into parts, so the counts add up to the runs.
std::vector<long> runs_on_each_hill(const std::vector<run_outcome>& runs,
                                    const std::vector<hill>& hills);

// The bin of [x_min, x_max] cut in `bins` equal parts that x falls in. There must be a bin: a
// front end checks a count of bins where it takes one.
int bin_of(float x, const encoding& enc, int bins);

}  // namespace sa
