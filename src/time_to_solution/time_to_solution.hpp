#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "study/study.hpp"

// Time to solution: what reaching the optimum with a given probability costs when independent
// runs are restarted until one succeeds (Ronnow et al. 2014), with its 95 % interval.
// Computes only.

namespace sa {

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

}  // namespace sa
