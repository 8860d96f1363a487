#include "time_to_solution/time_to_solution.hpp"

#include <algorithm>
#include <cmath>

namespace sa {

namespace {

// The 97.5th percentile of the standard normal distribution: two-sided 95 %.
constexpr double z_95 = 1.959963984540054;

std::optional<time_to_solution> time_at(double p, double target, const case_result& result) {
    const std::optional<double> runs = runs_to_reach(p, target);
    if (!runs) {
        return std::nullopt;
    }
    const auto trials = static_cast<double>(trials_per_run(result.study.schedule));
    const double mean_seconds =
        result.summary.total_seconds / static_cast<double>(result.summary.runs);
    return time_to_solution{*runs, *runs * trials, *runs * mean_seconds};
}

}  // namespace

long successes(const study_summary& summary, success_measure measure) {
    return measure == success_measure::exact_optimum ? summary.exact_optimum : summary.global_peak;
}

std::optional<double> runs_to_reach(double p, double target) {
    if (p >= 1.0) {
        return 1.0;
    }
    if (!(p > 0.0)) {
        return std::nullopt;
    }
    // log1p keeps ln(1 - p) exact to rounding for the tiny shares where 1 - p would not be.
    const double runs = std::log1p(-target) / std::log1p(-p);
    if (!std::isfinite(runs)) {
        return std::nullopt;  // a certain success needs certain runs
    }
    return std::max(1.0, runs);
}

share_interval wilson_interval(long successes, long runs) {
    if (runs <= 0) {
        return {0.0, 1.0};
    }
    const auto n = static_cast<double>(runs);
    const double p = static_cast<double>(successes) / n;
    const double z2 = z_95 * z_95;
    const double centre = (p + z2 / (2.0 * n)) / (1.0 + z2 / n);
    const double half_width =
        z_95 / (1.0 + z2 / n) * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n));
    // At none or all successes one end is 0 or 1 exactly, which rounding would miss: a low
    // end a hair above 0 would give a finite longest time where there is none.
    return {successes == 0 ? 0.0 : std::max(0.0, centre - half_width),
            successes == runs ? 1.0 : std::min(1.0, centre + half_width)};
}

tts_estimate estimate_time_to_solution(const case_result& result, success_measure measure,
                                       double target) {
    const long runs = result.summary.runs;
    tts_estimate estimate{
        0.0, wilson_interval(successes(result.summary, measure), runs), {}, {}, {}};
    if (runs <= 0) {
        return estimate;
    }
    estimate.share =
        static_cast<double>(successes(result.summary, measure)) / static_cast<double>(runs);
    estimate.expected = time_at(estimate.share, target, result);
    estimate.shortest = time_at(estimate.interval.high, target, result);
    estimate.longest = time_at(estimate.interval.low, target, result);
    return estimate;
}

std::optional<std::size_t> least_time_to_solution(const std::vector<case_result>& results,
                                                  success_measure measure, double target,
                                                  tts_unit unit) {
    std::optional<std::size_t> least;
    double least_cost = 0.0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const std::optional<time_to_solution> tts =
            estimate_time_to_solution(results[i], measure, target).expected;
        if (!tts) {
            continue;
        }
        const double cost = unit == tts_unit::trials ? tts->trials : tts->seconds;
        if (!least || cost < least_cost) {
            least = i;
            least_cost = cost;
        }
    }
    return least;
}

}  // namespace sa
