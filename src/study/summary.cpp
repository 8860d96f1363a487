#include <algorithm>
#include <cmath>

#include "study/study.hpp"

namespace sa {

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1) {
        return *middle;
    }
    const double below = *std::max_element(values.begin(), middle);
    return (below + *middle) / 2.0;
}

std::vector<share_range> even_shares(std::int64_t count, int parts) {
    const std::int64_t shares = std::min<std::int64_t>(std::max(parts, 1), count);
    std::vector<share_range> ranges;
    std::int64_t first = 0;
    for (std::int64_t i = 0; i < shares; ++i) {
        const std::int64_t size = count / shares + (i < count % shares ? 1 : 0);
        ranges.push_back({first, size});
        first += size;
    }
    return ranges;
}

std::vector<seed_range> split_runs(const seed_range& runs, int parts) {
    const std::vector<share_range> shares = even_shares(runs.count, parts);
    std::vector<seed_range> ranges(shares.size());
    std::transform(shares.begin(), shares.end(), ranges.begin(), [&runs](const share_range& part) {
        return seed_range{runs.seed, runs.first + static_cast<std::uint64_t>(part.first),
                          static_cast<long>(part.count)};
    });
    return ranges;
}

double share(long count, long runs) {
    return runs > 0 ? 100.0 * static_cast<double>(count) / static_cast<double>(runs) : 0.0;
}

study_summary summarize(const std::vector<run_outcome>& runs, const grid_landmarks& landmarks) {
    study_summary summary;
    summary.runs = static_cast<long>(runs.size());
    if (runs.empty()) {
        return summary;
    }
    double gap_sum = 0.0;
    summary.worst_best = runs.front().best_fo;
    std::vector<double> times;
    times.reserve(runs.size());
    for (const run_outcome& run : runs) {
        summary.exact_optimum += run.best_d == landmarks.optimum_d ? 1 : 0;
        summary.global_peak += landmarks.global_peak.contains(run.best_d) ? 1 : 0;
        summary.second_peak += landmarks.second_peak.contains(run.best_d) ? 1 : 0;
        summary.best_sum = extended(summary.best_sum + static_cast<long double>(run.best_fo));
        summary.worst_best = std::min(summary.worst_best, run.best_fo);
        const auto gap = static_cast<double>(std::fabs(extended(run.best_fo - run.true_value)));
        gap_sum += gap;
        summary.max_gap = std::max(summary.max_gap, gap);
        times.push_back(run.seconds);
        summary.total_seconds += run.seconds;
    }
    const auto count = static_cast<double>(runs.size());
    summary.mean_best = mean_best_of(summary.best_sum, summary.runs);
    summary.mean_gap = gap_sum / count;
    summary.median_seconds = median(times);
    return summary;
}

double mean_best_of(long double best_sum, long runs) {
    // The sum of up to 10^7 floats is exact in double too, so the quotient is the one that a
    // sum in double always gave.
    return runs > 0 ? static_cast<double>(best_sum) / static_cast<double>(runs) : 0.0;
}

study_summary merged_summary(const study_summary& a, const study_summary& b) {
    const long runs = a.runs + b.runs;
    const auto weighted = [&a, &b, runs](double of_a, double of_b) {
        return runs > 0
                   ? (of_a * static_cast<double>(a.runs) + of_b * static_cast<double>(b.runs)) /
                         static_cast<double>(runs)
                   : 0.0;
    };
    study_summary merged;
    merged.runs = runs;
    merged.exact_optimum = a.exact_optimum + b.exact_optimum;
    merged.global_peak = a.global_peak + b.global_peak;
    merged.second_peak = a.second_peak + b.second_peak;
    merged.best_sum = extended(a.best_sum + b.best_sum);
    merged.mean_best = mean_best_of(merged.best_sum, runs);
    merged.worst_best = std::min(a.worst_best, b.worst_best);
    merged.mean_gap = weighted(a.mean_gap, b.mean_gap);
    merged.max_gap = std::max(a.max_gap, b.max_gap);
    merged.median_seconds = weighted(a.median_seconds, b.median_seconds);
    merged.total_seconds = a.total_seconds + b.total_seconds;
    return merged;
}

int bin_of(float x, const encoding& enc, int bins) {
    const double fraction =
        (static_cast<double>(x) - enc.x_min) / (static_cast<double>(enc.x_max) - enc.x_min);
    return std::clamp(static_cast<int>(std::floor(fraction * bins)), 0, bins - 1);
}

std::vector<long> histogram_of_ends(const std::vector<run_outcome>& runs, const encoding& enc,
                                    int bins) {
    std::vector<long> counts(static_cast<std::size_t>(bins), 0);
    for (const run_outcome& run : runs) {
        ++counts[static_cast<std::size_t>(bin_of(run.best_x, enc, bins))];
    }
    return counts;
}

std::vector<long> runs_on_each_hill(const std::vector<run_outcome>& runs,
                                    const std::vector<hill>& hills) {
    std::vector<long> counts(hills.size());
    std::transform(hills.begin(), hills.end(), counts.begin(), [&runs](const hill& each) {
        return std::count_if(runs.begin(), runs.end(), [&each](const run_outcome& run) {
            return each.basin.contains(run.best_d);
        });
    });
    return counts;
}

}  // namespace sa
