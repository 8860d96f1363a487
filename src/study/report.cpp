#include "study/report.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "objective/objective.hpp"
#include "study/chart.hpp"

namespace sa {

namespace {

// printf into a std::string.
__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), pattern, again);
    va_end(again);
    text.pop_back();
    return text;
}

// The shortest text that reads back as the same float, as the user would have typed it.
std::string shortest(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

std::string shortest(double widened_float) {
    return shortest(static_cast<float>(widened_float));
}

// A column of the sweep table: its width and its two heading lines.
struct column {
    int width;
    const char* upper;
    const char* lower;
};

// With single spaces between, 80 columns in all.
constexpr std::array<column, 12> sweep_columns = {{{6, "", "T0"},
                                                   {7, "", "alpha"},
                                                   {6, "final", "T"},
                                                   {4, "tri-", "als"},
                                                   {4, "", "bits"},
                                                   {6, "", "levels"},
                                                   {7, "trials", "per run"},
                                                   {5, "exact", "%"},
                                                   {5, "glob.", "peak%"},
                                                   {5, "2nd", "peak%"},
                                                   {8, "mean", "best"},
                                                   {6, "median", "us"}}};

// A number within the column's width: whole if it fits, else with fewer digits.
std::string fit(double value, const column& within) {
    for (int digits = 7; digits > 1; --digits) {
        std::string text = format("%.*g", digits, value);
        if (static_cast<int>(text.size()) <= within.width) {
            return text;
        }
    }
    return format("%.1g", value);
}

// One decimal where it fits.
std::string fit_decimal(double value, const column& within) {
    std::string text = format("%.1f", value);
    return static_cast<int>(text.size()) <= within.width ? text : fit(value, within);
}

std::string range_text(const peak_range& hill) {
    return hill.first < 0 ? "none" : format("decoded %d..%d", hill.first, hill.last);
}

std::string summary_text(const study_summary& summary, const grid_landmarks& landmarks) {
    std::string text;
    text += format("  best is the exact optimum      %6.2f %%\n",
                   share(summary.exact_optimum, summary.runs));
    text +=
        format("  best on the global peak        %6.2f %%   (%s)\n",
               share(summary.global_peak, summary.runs), range_text(landmarks.global_peak).c_str());
    text +=
        format("  best on the second peak        %6.2f %%   (%s)\n",
               share(summary.second_peak, summary.runs), range_text(landmarks.second_peak).c_str());
    text += format("  mean best value                %.6f\n", summary.mean_best);
    text +=
        format("  worst best value               %.6f\n", static_cast<double>(summary.worst_best));
    text += format("  reported best - f(best x)      mean %.3g, largest %.3g\n", summary.mean_gap,
                   summary.max_gap);
    text += format("  median time per run            %.1f us\n", summary.median_seconds * 1e6);
    return text;
}

std::string charts(const search_space& space, const std::vector<run_record>& runs) {
    const encoding& grid = space.grid();
    std::vector<float> best_xs(runs.size());
    std::transform(runs.begin(), runs.end(), best_xs.begin(),
                   [](const run_record& run) { return run.best_x; });
    const std::vector<int> counts = column_counts(best_xs, grid.x_min, grid.x_max);
    std::string text = format("f(x) over [%g, %g]:\n", static_cast<double>(grid.x_min),
                              static_cast<double>(grid.x_max));
    text += plot_area(column_maxima(space), 1.6, 16);
    text += plot_axis(grid.x_min, grid.x_max);
    text += "\nwhere the runs' best x lie:\n";
    text += plot_bars(counts, 8);
    text += plot_axis(grid.x_min, grid.x_max);
    text += "\nruns per column, at the column's middle x:\n";
    text += bar_counts(counts, grid.x_min, grid.x_max);
    return text;
}

}  // namespace

std::string describe_case(const study_case& study) {
    const schedule_params& s = study.schedule;
    return format("T0 %s, alpha %s, final T %s, %d trials per level, %d bits",
                  shortest(s.t0).c_str(), shortest(s.alpha).c_str(), shortest(s.t_final).c_str(),
                  s.trials_per_level, study.bits);
}

std::string describe_cost(const study_case& study) {
    return format("%d levels, %ld trials per run", count_levels(study.schedule),
                  trials_per_run(study));
}

std::string single_report(const case_result& result, const search_space& space,
                          const std::vector<run_record>& runs, const run_range& range,
                          double scan_seconds) {
    const grid_landmarks& landmarks = result.landmarks;
    std::string text = "schedule: " + describe_case(result.study) + "\n          " +
                       describe_cost(result.study) + "\n\n";
    text += format("Exact optimum over all %d grid points (%.1f ms):\n", space.grid().d_max + 1,
                   scan_seconds * 1e3);
    text += format("  x = %.6f   f(x) = %.6Lf   decoded value %d\n\n",
                   static_cast<double>(landmarks.optimum_x), landmarks.optimum_value,
                   landmarks.optimum_d);
    text += format("%ld runs", result.summary.runs);
    if (range.first > 0) {
        text += format(" (runs %llu to %llu)", static_cast<unsigned long long>(range.first),
                       static_cast<unsigned long long>(range.first) +
                           static_cast<unsigned long long>(range.count) - 1);
    }
    text += ":\n" + summary_text(result.summary, landmarks) + "\n";
    return text + charts(space, runs);
}

std::string sweep_table(const std::vector<case_result>& results) {
    std::string text;
    const auto add_line = [&text](const std::array<std::string, sweep_columns.size()>& cells) {
        std::string line;
        for (std::size_t i = 0; i < sweep_columns.size(); ++i) {
            line += format("%*s ", sweep_columns[i].width, cells[i].c_str());
        }
        line.pop_back();
        text += line + '\n';
    };
    std::array<std::string, sweep_columns.size()> upper;
    std::array<std::string, sweep_columns.size()> lower;
    std::transform(sweep_columns.begin(), sweep_columns.end(), upper.begin(),
                   [](const column& c) { return c.upper; });
    std::transform(sweep_columns.begin(), sweep_columns.end(), lower.begin(),
                   [](const column& c) { return c.lower; });
    add_line(upper);
    add_line(lower);
    const auto& c = sweep_columns;
    for (const case_result& result : results) {
        const schedule_params& s = result.study.schedule;
        const study_summary& summary = result.summary;
        add_line({fit(s.t0, c[0]), fit(s.alpha, c[1]), fit(s.t_final, c[2]),
                  fit(s.trials_per_level, c[3]), fit(result.study.bits, c[4]),
                  fit(count_levels(s), c[5]),
                  fit(static_cast<double>(trials_per_run(result.study)), c[6]),
                  format("%.1f", share(summary.exact_optimum, summary.runs)),
                  format("%.1f", share(summary.global_peak, summary.runs)),
                  format("%.1f", share(summary.second_peak, summary.runs)),
                  format("%.6f", summary.mean_best),
                  fit_decimal(summary.median_seconds * 1e6, c[11])});
    }
    return text;
}

std::optional<std::size_t> cheapest_reaching(const std::vector<case_result>& results,
                                             double percent) {
    std::optional<std::size_t> cheapest;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const study_summary& summary = results[i].summary;
        if (share(summary.exact_optimum, summary.runs) >= percent &&
            (!cheapest ||
             trials_per_run(results[i].study) < trials_per_run(results[*cheapest].study))) {
            cheapest = i;
        }
    }
    return cheapest;
}

std::string target_line(const std::vector<case_result>& results, double percent) {
    const auto cheapest = cheapest_reaching(results, percent);
    if (!cheapest) {
        return format("No schedule reaches %.2f %% exact optimum.\n", percent);
    }
    const case_result& result = results[*cheapest];
    return format("Cheapest schedule reaching %.2f %% exact optimum (%.2f %%):\n  %s\n  %s\n",
                  percent, share(result.summary.exact_optimum, result.summary.runs),
                  describe_case(result.study).c_str(), describe_cost(result.study).c_str());
}

std::string trace_table(const traced_run& trace) {
    std::string text =
        format("start: x = %.6f   f(x) = %.6f\n\n", static_cast<double>(trace.start_x),
               static_cast<double>(trace.start.fo));
    text += "level          T   up/down   rate          x        fo      best\n";
    for (const level_summary& level : trace.levels) {
        const int accepted = level.improving + level.worsening;
        const double rate = level.trials > 0 ? static_cast<double>(accepted) / level.trials : 0.0;
        text +=
            format("%5d %10.5f %5d/%-3d %6.3f %10.6f %9.6f %9.6f\n", level.level, level.temperature,
                   level.improving, level.worsening, rate, static_cast<double>(level.x),
                   static_cast<double>(level.fo), static_cast<double>(level.best_fo));
    }
    const run_report& report = trace.report;
    text += format("\nbest: x = %.6f   reported %.6f   f(x) = %.6Lf   after %ld trials\n",
                   static_cast<double>(report.best_x), static_cast<double>(report.best_fo),
                   objective(report.best_x), report.analysed);
    return text;
}

std::string study_csv(const std::vector<case_result>& results) {
    std::string text =
        "t0,alpha,t_final,trials_per_level,bits,levels,trials_per_run,runs,exact_optimum_runs,"
        "global_peak_runs,second_peak_runs,mean_best,median_run_us,total_run_seconds\n";
    for (const case_result& result : results) {
        const schedule_params& s = result.study.schedule;
        const study_summary& summary = result.summary;
        text +=
            format("%s,%s,%s,%d,%d,%d,%ld,%ld,%ld,%ld,%ld,%.9g,%.3f,%.6f\n", shortest(s.t0).c_str(),
                   shortest(s.alpha).c_str(), shortest(s.t_final).c_str(), s.trials_per_level,
                   result.study.bits, count_levels(s), trials_per_run(result.study), summary.runs,
                   summary.exact_optimum, summary.global_peak, summary.second_peak,
                   summary.mean_best, summary.median_seconds * 1e6, summary.total_seconds);
    }
    return text;
}

std::string trace_csv(const traced_run& trace) {
    std::string text =
        "level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo\n";
    for (const level_summary& level : trace.levels) {
        text += format("%d,%.17g,%d,%d,%d,%s,%s,%s\n", level.level, level.temperature,
                       level.improving, level.worsening, level.trials, shortest(level.x).c_str(),
                       shortest(level.fo).c_str(), shortest(level.best_fo).c_str());
    }
    return text;
}

}  // namespace sa
