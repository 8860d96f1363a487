#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "annealing/annealing.hpp"

// Many annealing runs, each exactly what sa_demo does on choices 1 and 2 when started in a
// given clock second, under one schedule or a sweep of schedules, and what they add up to.

namespace sa {

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

// Trials one run of the case makes: its levels times its trials per level.
long trials_per_run(const study_case& study);

// The encoding of the demo's interval with `bits` digits.
encoding study_encoding(int bits);

// Runs first .. first + count - 1; run i draws from an engine seeded with seed + i.
struct run_range {
    std::uint64_t seed;
    std::uint64_t first;
    long count;
};

// Decoded values first..last of one hill of f: from its top down to the valleys on either side.
struct peak_range {
    int first;
    int last;
    bool contains(int d) const { return first <= d && d <= last; }
};

// The hill around d, found by climbing to its top and descending to both valleys.
peak_range hill_around(const search_space& space, int d);

// What the whole grid of an encoding holds: its best point and its two highest hills.
struct grid_landmarks {
    int optimum_d;
    float optimum_x;
    long double optimum_value;
    peak_range global_peak;
    peak_range second_peak;  // the highest hill other than the global one
};
grid_landmarks find_landmarks(const search_space& space);

// How one run ended.
struct run_record {
    int best_d;
    float best_x;
    float best_fo;           // as reported: accumulated from the accepted changes
    long double true_value;  // f at the best x
    double seconds;
};

// Called now and then with the number of runs finished so far.
using progress_report = std::function<void(long done)>;

// The runs of one case, on `jobs` threads; the records come in run order, the same for any
// number of threads apart from the timings. The space must be the tabulated space of the
// case's encoding.
std::vector<run_record> study_runs(const search_space& space, const study_case& study,
                                   const run_range& runs, int jobs,
                                   const progress_report& progress = {});

// One run of the range's first seed, level by level.
struct traced_run {
    solution start;
    float start_x;
    std::vector<level_summary> levels;
    run_report report;
};
traced_run trace_run(const search_space& space, const study_case& study, const run_range& runs);

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
study_summary summarize(const std::vector<run_record>& runs, const grid_landmarks& landmarks);

double median(std::vector<double> values);

// Percent of the runs.
double share(long count, long runs);

}  // namespace sa
