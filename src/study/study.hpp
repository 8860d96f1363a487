#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
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
// level follow the number of digits (bits / 2). Geometric cooling sweeps alpha, the other laws
// sweep L; without a list of L they run as many levels as geometric cooling by the demo's
// alpha takes between the same temperatures, so the laws compare at the same cost.
struct sweep_request {
    std::vector<float> t0;
    std::vector<float> alpha;
    std::vector<float> t_final;
    std::vector<int> trials;
    std::vector<int> bits;
    std::vector<cooling_law> laws;  // empty: geometric alone
    std::vector<int> levels;
};

// Every combination of the requested values, bits outermost, then T0, final T, the cooling
// law (in the order requested), alpha for a geometric law or L for another, and trials per
// level. The single-precision values are widened as the demo widens its own. A law's cases
// leave the parameter it ignores at 0: alpha for linear and Lundy-Mees, L for geometric.
std::vector<study_case> sweep_cases(const sweep_request& request);

// A cooling law's name: "geometric", "linear" or "lundy-mees".
const char* cooling_law_name(cooling_law law);

// The law of that name; none for any other text.
std::optional<cooling_law> parse_cooling_law(std::string_view name);

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
// a time is kept: each takes 12 bytes a point. It is tabulated on `jobs` threads.
class grid_cache {
  public:
    explicit grid_cache(int jobs = 1) : jobs_(jobs) {}
    const tabulated_grid& of(int bits);

  private:
    int jobs_;
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

// The summary of two parts of one case's runs: counts and times add, extremes are the parts'
// extremes, and means are weighted by runs. So is the median time, which is then only an
// estimate: the parts' medians do not give the median of the whole.
study_summary merged_summary(const study_summary& a, const study_summary& b);

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

// ---- Time to solution: what reaching the optimum with a given probability costs when
// independent runs are restarted until one succeeds (Ronnow et al. 2014)

// The target probability of TTS99.
inline constexpr double tts_target = 0.99;

// What counts as a run's success.
enum class success_measure {
    exact_optimum,  // its best is the grid's optimum
    global_peak,    // its best lies on the optimum's hill
};

// The runs of a summary that succeeded by that measure.
long successes(const study_summary& summary, success_measure measure);

// Runs needed for at least one to succeed with probability `target` when each succeeds with
// probability p: R = ln(1 - target) / ln(1 - p), at least 1; none when p is 0 (or target 1).
std::optional<double> runs_to_reach(double p, double target);

// The cost of those R runs.
struct time_to_solution {
    double runs;     // R, not rounded to whole runs
    double trials;   // R times the trials per run
    double seconds;  // R times the mean time per run
};

// The 95 % Wilson score interval of a success probability estimated as successes / runs;
// [0, 1] without runs.
struct share_interval {
    double low;
    double high;
};
share_interval wilson_interval(long successes, long runs);

// A case's time to solution at its estimated share of successes p, and at the ends of p's
// interval: its high end gives the shortest time, its low end the longest.
struct tts_estimate {
    double share;  // p, 0 without runs
    share_interval interval;
    std::optional<time_to_solution> expected;  // at p: none when no run succeeded
    std::optional<time_to_solution> shortest;  // at the interval's high end: none without runs
    std::optional<time_to_solution> longest;   // at its low end: none when no run succeeded
};
tts_estimate estimate_time_to_solution(const case_result& result, success_measure measure,
                                       double target = tts_target);

// What times to solution are compared in.
enum class tts_unit { trials, seconds };

// The case whose expected time to solution is the least, the first of equals; none when no
// case had a success.
std::optional<std::size_t> least_time_to_solution(const std::vector<case_result>& results,
                                                  success_measure measure, double target,
                                                  tts_unit unit);

// ---- Automatic temperatures, chosen from a sample of random single-flip moves

// Kirkpatrick's criterion for T0: worsening moves accepted 80 % of the time on average.
inline constexpr double initial_acceptance = 0.8;
// For the final T: the smallest worsening seen accepted once in a hundred.
inline constexpr double final_acceptance = 0.01;
// Moves drawn for a sample.
inline constexpr int temperature_sample_moves = 10'000;

// A worsening move: the value it starts from and its change, both as a run rounds them.
struct worsening_move {
    float start_value;
    float change;  // below 0
};

// Moves drawn at random on a grid, each a uniformly drawn point and digit; only those that
// worsen the value are kept.
struct move_sample {
    int drawn;
    std::vector<worsening_move> worsening;
};

// `moves` random moves on the grid of an encoding, drawn from `engine`: a seeded engine makes
// the sample, and the temperatures chosen from it, reproducible.
move_sample sample_moves(const encoding& enc, random_engine& engine,
                         int moves = temperature_sample_moves);

// The share of worsening moves that a run at `temperature` accepts, as Ben-Ameur (2004)
// estimates it from a sample of moves out of uniformly drawn points: each move's acceptance
// exp(change / T) weighted by exp(start value / T), the chance that a run in equilibrium at
// T stands where the move starts. 0 for a sample without a worsening move.
double estimated_acceptance(const move_sample& sample, double temperature);

// A temperature chosen from a sample, and what a report says of it.
struct chosen_temperature {
    double temperature;
    double acceptance;  // what the rule measures, reached on the sample at that temperature
    int iterations;     // of Ben-Ameur's iteration; 0 for the final T, which has a closed form
    int moves_drawn;
    int worsening_moves;
};

// T0 at which the estimated acceptance of worsening moves is `chi`, found by Ben-Ameur's
// iteration. None when the sample has no worsening move or chi is not in (0, 1).
std::optional<chosen_temperature> initial_temperature(const move_sample& sample,
                                                      double chi = initial_acceptance);

// The final T at which the smallest worsening of the sample is accepted with probability
// `chi`. None when the sample has no worsening move or chi is not in (0, 1).
std::optional<chosen_temperature> final_temperature(const move_sample& sample,
                                                    double chi = final_acceptance);

// The acceptances that T0 and the final T are to be chosen for, where they are.
struct temperature_wishes {
    std::optional<double> t0_chi;
    std::optional<double> t_final_chi;
};

// The temperatures chosen for the grid of `bits` digits from one sample drawn from an engine
// seeded with `seed`. A choice asked for stays empty when the sample holds no worsening move.
struct automatic_temperatures {
    int bits;
    std::optional<chosen_temperature> t0;
    std::optional<chosen_temperature> t_final;
};
automatic_temperatures choose_temperatures(std::uint32_t seed, const temperature_wishes& wishes,
                                           int bits);

}  // namespace sa
