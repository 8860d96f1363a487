#include <algorithm>
#include <array>

#include "objective/objective.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

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

}  // namespace

std::string single_report(const case_result& result, const tabulated_grid& grid,
                          const std::vector<run_outcome>& runs, const seed_range& range) {
    const grid_landmarks& landmarks = result.landmarks;
    std::string text = "schedule: " + describe_case(result.study) + "\n          " +
                       describe_cost(result.study) + "\n\n";
    text += format("Exact optimum over all %d grid points (%.1f ms):\n",
                   grid.space.grid_encoding().d_max + 1, grid.seconds * 1e3);
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
    return text + text_charts(grid.space, runs);
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
                  fit(static_cast<double>(count_levels(s)), c[5]),
                  fit(static_cast<double>(trials_per_run(s)), c[6]),
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
            (!cheapest || trials_per_run(results[i].study.schedule) <
                              trials_per_run(results[*cheapest].study.schedule))) {
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

std::string trace_heading(const trace_start& start) {
    return format("start: x = %.6f   f(x) = %.6f\n\n", static_cast<double>(start.start_x),
                  static_cast<double>(start.start.fo)) +
           "level          T   up/down   rate          x        fo      best\n";
}

std::string trace_line(const level_summary& level) {
    const int accepted = level.improving + level.worsening;
    const double rate = level.trials > 0 ? static_cast<double>(accepted) / level.trials : 0.0;
    return format("%5lld %10.5f %5d/%-3d %6.3f %10.6f %9.6f %9.6f\n",
                  static_cast<long long>(level.level), level.temperature, level.improving,
                  level.worsening, rate, static_cast<double>(level.x),
                  static_cast<double>(level.fo), static_cast<double>(level.best_fo));
}

std::string trace_ending(const run_report& report) {
    return format("\nbest: x = %.6f   reported %.6f   f(x) = %.6Lf   after %s\n",
                  static_cast<double>(report.best_x), static_cast<double>(report.best_fo),
                  objective(report.best_x), count_of(report.analysed, "trial", "trials").c_str());
}

}  // namespace sa
