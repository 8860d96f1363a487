#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "annealing/annealing.hpp"
#include "batch/batch.hpp"
#include "request/request.hpp"

// Many annealing runs, each exactly what sa_demo does on choices 1 and 2 when started in a
// given clock second, under one schedule or a sweep of schedules, and what they add up to;
// and the cases that a request (request/request.hpp) plans into. Computes only: the front
// ends and the outputs print what it finds.

namespace sa {

// ---- A study's cases

// One schedule of a study and the number of digits of the encoding it runs on.
struct study_case {
    cooling_schedule schedule;
    int bits;
    bool operator==(const study_case&) const = default;
};

// The encoding of the demo's interval with `bits` digits.
encoding study_encoding(int bits);

// The schedule and encoding in one line: "T0 100, alpha 0.97, final T 0.1, 8 trials per
// level, 17 bits", a law without a cooling factor named in its place.
std::string describe_case(const study_case& study);

// A schedule described, on the grid of `bits` digits.
std::string on_grid(const std::string& schedule, int bits);

// ---- The landscape: what the grid of an encoding holds

// Decoded values first..last on a grid; none is {-1, -1}.
struct peak_range {
    int first;
    int last;
    bool contains(int d) const { return first <= d && d <= last; }
};

// One of f's hills: the basin of one of its peaks on the interval, from the valley on one side
// to the valley on the other (or the interval's end). Peaks and valleys are found on f as a
// smooth function, so that the rounding of its values cannot split a hill or invent one.
struct hill {
    double top_x;      // where f peaks
    double top_value;  // f there, smooth
    // The grid points on it: those whose x lies in the basin, and at each valley the lower of
    // the two points around it, shared with the hill beyond. None where the grid has no point
    // in the basin: the hill falls between two of its points, and the grid cannot show it.
    peak_range range;
    // The grid points whose x lies in the basin, shared with no other hill: the hills' basins
    // cut the grid into parts, so that shares of them add up to the whole. None as above.
    peak_range basin;
};

// The value of a grid point as the grid holds it.
using grid_value = std::function<long double(int d)>;

// Every hill of f on the grid of `enc`, the highest peak first. Only the points around each
// valley are looked up.
std::vector<hill> hills_of(const encoding& enc, const grid_value& value_at);
std::vector<hill> hills_of(const tabulated_space& space);

// The grid's best point and the hills of f's two highest peaks.
struct grid_landmarks {
    int optimum_d;
    float optimum_x;
    long double optimum_value;
    peak_range global_peak;
    peak_range second_peak;
};
grid_landmarks find_landmarks(const encoding& enc, const grid_value& value_at);
grid_landmarks find_landmarks(const tabulated_space& space);

// The landmarks of the grid of `bits` digits, f evaluated at every point: no table is kept.
grid_landmarks landmarks_of_grid(int bits);

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
    // `count`, if given, is told the points tabulated as a new grid is, from the calling thread.
    const tabulated_grid& of(int bits, const point_counter& count = {});

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

// ---- Many runs cooling together, against the equilibrium they chase. At temperature T a run
// that has settled stands on d with probability proportional to exp(f(d) / T): a move flips a
// digit drawn at random, so it is as likely as the move back, and this Boltzmann distribution
// is the equilibrium of the very chain the runs follow. Slow cooling keeps the runs close to
// it as it sharpens onto the global peak; a quench leaves them frozen on lower hills.

// exp(y) for y <= 0, by the same steps of double arithmetic on every target, where the
// libraries' exp may differ in the last bit; within a few units of the last place of the true
// value, and 0 below -708, where exp leaves the normal doubles.
double portable_exp(double y);

// What a population may cost: a level's equilibrium takes a pass over the grid, and each level
// keeps the counts of every bin and hill.
inline constexpr std::int64_t max_population_levels = 10'000;
inline constexpr double max_population_points = 1e9;  // levels times grid points

// Where the runs stand as one level ends, and the equilibrium at its temperature, by f's hills
// (in the order of hills_of, each counting the points of its basin) and by bins of x.
struct population_level {
    std::int64_t level;
    double temperature;
    std::vector<long> hill_runs;    // runs whose current point lies in each hill's basin
    std::vector<double> hill_mass;  // the equilibrium's mass there, adding up to 1
    std::vector<long> bin_runs;     // runs whose current x lies in each bin
    std::vector<double> bin_mass;   // the equilibrium's mass there
    double tv_distance;             // between the runs' shares of the hills and their masses
};

// Runs of one case followed level by level.
struct population_study {
    study_case study;
    long runs;
    std::vector<hill> hills;
    std::vector<population_level> levels;
};

// Told now and then how far the two stages have come: the trials the runs have made, then the
// levels whose equilibrium is found.
struct population_progress {
    progress_report trials;
    std::function<void(std::int64_t levels_done)> levels;
};

// The runs of a case, run as study_runs runs them (the same on any number of threads), and
// the equilibrium of each of their levels, in `bins` (at least 1) equal parts of the interval.
// The case must be within population_fault's bounds, and the space that of its encoding.
population_study study_population(const tabulated_space& space, const study_case& study, int bins,
                                  const seed_range& runs, int jobs,
                                  const population_progress& progress = {});

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

// The bin of [x_min, x_max] cut in `bins` equal parts that x falls in. There must be a bin: a
// front end checks a count of bins where it takes one.
int bin_of(float x, const encoding& enc, int bins);

// ---- Time to solution: what reaching the optimum with a given probability costs when
// independent runs are restarted until one succeeds (Ronnow et al. 2014)

// The target probability of TTS99.
inline constexpr double tts_target = 0.99;

// What counts as a run's success.
enum class success_measure {
    exact_optimum,  // its best is the grid's optimum
    global_peak,    // its best lies on the hill of f's highest peak
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

// The acceptances they are chosen for, unless a request says, are the request's:
// initial_acceptance and final_acceptance.

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

// ---- A request planned: its cases, with the temperatures chosen for them

struct study_plan {
    std::vector<study_case> cases;  // bits outermost, then T0, final T, law, its parameter, trials
    std::vector<automatic_temperatures> automatic;  // for each grid, when asked for
};

// The number of schedules the lists make: not walked, so a mistyped list is refused at once.
double schedule_count(const study_request& request);

// Checks what the lists combine to within the caps, expands them into cases, each run's cost
// checked, with automatic temperatures chosen from a sample drawn with `seed`.
expected<study_plan> plan_study(const study_request& request, std::uint32_t seed,
                                const study_caps& caps = {});

// Whether the runs asked for stay within the run numbers whose seeds do not repeat.
std::optional<fault> run_range_fault(const study_request& request);

// Whether a population of the case's runs (study_population) stays within what it may cost.
std::optional<fault> population_fault(const study_case& study);

// The trials that `runs` runs of every case make in all.
std::int64_t planned_trials(const study_plan& plan, long runs);

}  // namespace sa
