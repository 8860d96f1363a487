#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "annealing/annealing.hpp"
#include "batch/batch.hpp"

// Many annealing runs, each exactly what sa_demo does on choices 1 and 2 when started in a
// given clock second, under one schedule or a sweep of schedules, and what they add up to.
// Computes only: the outputs and the command line are sa_study's other parts.

namespace sa {

// ---- The sweep

// One schedule of a study and the number of digits of the encoding it runs on.
struct study_case {
    schedule_params schedule;
    int bits;
};

// The values to sweep. An empty list stands for the demo's own value; the demo's trials per
// level follow the number of digits (bits / 2).
struct sweep_request {
    std::vector<float> t0;
    std::vector<float> alpha;
    std::vector<float> t_final;
    std::vector<int> trials;
    std::vector<int> bits;
};

// Every combination of the requested values, bits outermost, then T0, final T, alpha and
// trials per level. The single-precision values are widened as the demo widens its own.
std::vector<study_case> sweep_cases(const sweep_request& request);

// The encoding of the demo's interval with `bits` digits.
encoding study_encoding(int bits);

// ---- The landscape: what the grid of an encoding holds

// Decoded values first..last of one hill of f: from its top down to the valleys on either side.
struct peak_range {
    int first;
    int last;
    bool contains(int d) const { return first <= d && d <= last; }
};

// The hill around d, found by climbing to its top and descending to both valleys.
peak_range hill_around(const tabulated_space& space, int d);

// The grid's best point and its two highest hills.
struct grid_landmarks {
    int optimum_d;
    float optimum_x;
    long double optimum_value;
    peak_range global_peak;
    peak_range second_peak;  // the highest hill other than the global one
};
grid_landmarks find_landmarks(const tabulated_space& space);

// A grid tabulated for a study's runs, its landmarks, and what finding them cost.
struct tabulated_grid {
    tabulated_space space;
    grid_landmarks landmarks;
    double seconds;
};

// The grid of the schedules being run. A sweep runs its cases bits outermost, so one grid at
// a time is kept: each takes 16 bytes a point.
class grid_cache {
  public:
    const tabulated_grid& of(int bits);

  private:
    std::unique_ptr<tabulated_grid> grid_;
};

// ---- The runs

// Runs first .. first + count - 1; run i draws from an engine seeded with seed + i.
struct seed_range {
    std::uint64_t seed;
    std::uint64_t first;
    long count;
};

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
// number of threads apart from the timings. The space must be that of the case's encoding.
std::vector<run_outcome> study_runs(const tabulated_space& space, const study_case& study,
                                    const seed_range& runs, int jobs,
                                    const progress_report& progress = {});

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
    long global_peak = 0;    // best lies on the optimum's hill
    long second_peak = 0;    // best lies on the second highest hill
    double mean_best = 0.0;
    float worst_best = 0.0F;
    double mean_gap = 0.0;  // |reported best - f(best x)|
    double max_gap = 0.0;
    double median_seconds = 0.0;
    double total_seconds = 0.0;  // of all runs, added up
};
study_summary summarize(const std::vector<run_outcome>& runs, const grid_landmarks& landmarks);

// A case and what its runs added up to.
struct case_result {
    study_case study;
    grid_landmarks landmarks;
    study_summary summary;
};

double median(std::vector<double> values);

// Percent of the runs.
double share(long count, long runs);

// How many of the runs' best x fall in each of `bins` equal parts of [x_min, x_max]; x_max
// belongs to the last.
std::vector<long> histogram_of_ends(const std::vector<run_outcome>& runs, const encoding& enc,
                                    int bins);

// The bin of [x_min, x_max] cut in `bins` equal parts that x falls in.
int bin_of(float x, const encoding& enc, int bins);

}  // namespace sa
