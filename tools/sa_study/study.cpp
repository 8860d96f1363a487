#include "study.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>

#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

}  // namespace

float study_problem::x_at(int d) const {
    return static_cast<float>(sa::decoded_to_x(d, enc));
}

grid_optimum scan_grid(const study_problem& problem) {
    const auto start = clock_type::now();
    grid_optimum best{0, problem.x_at(0), sa::objective(problem.x_at(0)), 0.0};
    for (int d = 1; d <= problem.d_max; ++d) {
        const long double value = sa::objective(problem.x_at(d));
        if (value > best.value) {
            best = {d, problem.x_at(d), value, 0.0};
        }
    }
    best.seconds = seconds_since(start);
    return best;
}

peak_range peak_around(const study_problem& problem, int d) {
    int top = d;
    const auto f = [&problem](int point) { return sa::objective(problem.x_at(point)); };
    // Climb to the local maximum first: two neighbours may share a peak's top.
    while (top > 0 && f(top - 1) > f(top)) {
        --top;
    }
    while (top < problem.d_max && f(top + 1) > f(top)) {
        ++top;
    }
    peak_range peak{top, top};
    while (peak.first > 0 && f(peak.first - 1) <= f(peak.first)) {
        --peak.first;
    }
    while (peak.last < problem.d_max && f(peak.last + 1) <= f(peak.last)) {
        ++peak.last;
    }
    return peak;
}

random_start draw_start(const study_problem& problem, sa::random_engine& engine) {
    random_start start{sa::random_solution(problem.enc, engine), 0.0F};
    start.x = problem.x_at(sa::decode_bits(start.cur.bits));
    return start;
}

sa::run_report anneal_start(const study_problem& problem, random_start& start,
                            sa::random_engine& engine, const sa::level_observer& observe) {
    return sa::anneal(sa::search_space(problem.enc), problem.schedule, start.cur, engine, observe);
}

run_record study_run(const study_problem& problem, sa::random_engine& engine) {
    random_start start = draw_start(problem, engine);
    const auto began = clock_type::now();
    const sa::run_report outcome = anneal_start(problem, start, engine);
    const double seconds = seconds_since(began);
    return {sa::decode_bits(start.cur.bits), outcome.best_x, outcome.best_fo,
            sa::objective(outcome.best_x), seconds};
}

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

study_summary summarize(const std::vector<run_record>& runs, const grid_optimum& optimum,
                        const peak_range& global_peak, const peak_range& second_peak) {
    study_summary summary;
    summary.runs = static_cast<int>(runs.size());
    if (runs.empty()) {
        return summary;
    }
    int exact = 0;
    int on_global_peak = 0;
    int at_second_peak = 0;
    double best_sum = 0.0;
    double gap_sum = 0.0;
    summary.worst_best = runs.front().best_fo;
    std::vector<double> times;
    for (const run_record& run : runs) {
        exact += run.best_d == optimum.d ? 1 : 0;
        on_global_peak += global_peak.contains(run.best_d) ? 1 : 0;
        at_second_peak += second_peak.contains(run.best_d) ? 1 : 0;
        best_sum += run.best_fo;
        summary.worst_best = std::min(summary.worst_best, run.best_fo);
        const auto gap = static_cast<double>(std::fabs(run.best_fo - run.true_value));
        gap_sum += gap;
        summary.max_gap = std::max(summary.max_gap, gap);
        times.push_back(run.seconds);
    }
    const auto count = static_cast<double>(runs.size());
    summary.exact_share = exact / count;
    summary.global_peak_share = on_global_peak / count;
    summary.second_peak_share = at_second_peak / count;
    summary.mean_best = best_sum / count;
    summary.mean_gap = gap_sum / count;
    summary.median_seconds = median(times);
    return summary;
}
