#include <algorithm>
#include <array>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

// With single spaces between, 80 columns in all.
const std::vector<table_column> sweep_columns = after_schedule_columns({{5, "exact", "%"},
                                                                        {5, "glob.", "peak%"},
                                                                        {5, "2nd", "peak%"},
                                                                        {8, "mean", "best"},
                                                                        {6, "median", "us"}});

// A hill that falls between two grid points is said to, rather than given a range of points.
std::string range_text(const peak_range& hill) {
    return hill.first < 0 ? "the grid has no point on it"
                          : format("decoded %d..%d", hill.first, hill.last);
}

std::string summary_text(const study_summary& summary, const grid_landmarks& landmarks) {
    std::string text;
    text += format("  best is the exact optimum      %6.2f %%\n",
                   share(summary.exact_optimum, summary.runs));
    text +=
        format("  best on the global peak        %6.2f %%   (%s)\n",
               share(summary.global_peak, summary.runs), range_text(landmarks.global_peak).c_str());
    text += landmarks.has_second_hill
                ? format("  best on the second peak        %6.2f %%   (%s)\n",
                         share(summary.second_peak, summary.runs),
                         range_text(landmarks.second_peak).c_str())
                : "  best on the second peak             -     (f has one hill)\n";
    text += format("  mean best value                %.6f\n", summary.mean_best);
    text +=
        format("  worst best value               %.6f\n", static_cast<double>(summary.worst_best));
    text += format("  reported best - f(best x)      mean %.3g, largest %.3g\n", summary.mean_gap,
                   summary.max_gap);
    text += format("  median time per run            %.1f us\n", summary.median_seconds * 1e6);
    return text;
}

}  // namespace

std::string automatic_temperatures_text(const std::vector<automatic_temperatures>& chosen) {
    std::string text;
    for (const automatic_temperatures& grid : chosen) {
        const chosen_temperature& sample = grid.t0 ? *grid.t0 : *grid.t_final;
        text += format("Temperatures chosen for %d bits from %d random moves, %d worsening:\n",
                       grid.bits, sample.moves_drawn, sample.worsening_moves);
        if (grid.t0) {
            text += format(
                "  T0 %s: worsening moves accepted %.4g of the time on average\n"
                "    (%s of Ben-Ameur's iteration)\n",
                shortest(static_cast<float>(grid.t0->temperature)).c_str(), grid.t0->acceptance,
                count_of(grid.t0->iterations, "step", "steps").c_str());
        }
        if (grid.t_final) {
            text += wrapped(format("  final T %s: the smallest worsening seen accepted %.4g of the "
                                   "time",
                                   shortest(static_cast<float>(grid.t_final->temperature)).c_str(),
                                   grid.t_final->acceptance),
                            4) +
                    '\n';
        }
    }
    return text.empty() ? text : text + "\n";
}

std::string single_report(const case_result& result, const tabulated_grid& grid,
                          const std::vector<run_outcome>& runs, const seed_range& range) {
    const grid_landmarks& landmarks = result.landmarks;
    std::string text = schedule_heading(result.study) + "\n";
    text += format("Exact optimum over all %d grid points (%.1f ms):\n",
                   grid.space.grid_encoding().d_max + 1, grid.seconds * 1e3);
    text += format("  x = %.6f   f(x) = %.6Lf   decoded value %d\n",
                   static_cast<double>(landmarks.optimum_x), landmarks.optimum_value,
                   landmarks.optimum_d);
    // On a coarse grid every point on the global peak can lie below one on another hill.
    if (!landmarks.global_peak.contains(landmarks.optimum_d)) {
        text += "  on a lower hill: every grid point on the global peak lies lower\n";
    }
    text += "\n";
    text += count_of(result.summary.runs, "run", "runs");
    if (range.first > 0) {
        text += " (" +
                runs_text(range.first, range.first + static_cast<std::uint64_t>(range.count) - 1) +
                ")";
    }
    text += ":\n" + summary_text(result.summary, landmarks) + tts_lines(result) + "\n";
    return text + text_charts(grid.space, runs);
}

std::string sweep_table(const std::vector<case_result>& results) {
    return table_of_cases(sweep_columns, results, [](const case_result& result) {
        const study_summary& summary = result.summary;
        std::vector<std::string> row = schedule_cells(result.study);
        row.insert(row.end(), {format("%.1f", share(summary.exact_optimum, summary.runs)),
                               format("%.1f", share(summary.global_peak, summary.runs)),
                               result.landmarks.has_second_hill
                                   ? format("%.1f", share(summary.second_peak, summary.runs))
                                   : "-",
                               format("%.6f", summary.mean_best),
                               fit(summary.median_seconds * 1e6, "%.1f", sweep_columns[11])});
        return row;
    });
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
    std::string text =
        cheapest ? format("Cheapest schedule reaching %.2f %% exact optimum (%.2f %%):\n", percent,
                          share(results[*cheapest].summary.exact_optimum,
                                results[*cheapest].summary.runs)) +
                       described_case(results[*cheapest].study) + "  " +
                       describe_cost(results[*cheapest].study) + "\n"
                 : format("No schedule reaches %.2f %% exact optimum.\n", percent);
    const double target = percent / 100.0;
    const auto least =
        least_time_to_solution(results, success_measure::exact_optimum, target, tts_unit::trials);
    if (!least) {
        return text +
               format("No schedule reaches %.2f %% exact optimum with restarts either.\n", percent);
    }
    const auto tts =
        estimate_time_to_solution(results[*least], success_measure::exact_optimum, target);
    return text + format("Least time to reach %.2f %% exact optimum with restarts:\n", percent) +
           described_case(results[*least].study) + "  " + runs_count(tts.expected->runs) +
           format(", %.0f trials\n", tts.expected->trials);
}

std::string schedule_heading(const study_case& study) {
    return wrapped("schedule: " + describe_case(study), 10, ", ") + "\n          " +
           describe_cost(study) + "\n";
}

std::string described_case(const study_case& study) {
    return wrapped("  " + describe_case(study), 2, ", ") + "\n";
}

std::string trace_heading(const trace_start& start) {
    return format("start: x = %.6f   f(x) = %.6f\n\n", static_cast<double>(start.start_x),
                  static_cast<double>(start.start.fo)) +
           "level          T   up/down   rate          x        fo      best\n";
}

std::string trace_line(const level_summary& level) {
    const int accepted = level.improving + level.worsening;
    const double rate = level.trials > 0 ? static_cast<double>(accepted) / level.trials : 0.0;
    // A temperature too large for five decimals in its column, in as many digits as fit.
    constexpr table_column temperature{10, "", "T"};
    return format("%5lld %10s %5d/%-3d %6.3f %10.6f %9.6f %9.6f\n",
                  static_cast<long long>(level.level),
                  fit(level.temperature, "%.5f", temperature).c_str(), level.improving,
                  level.worsening, rate, static_cast<double>(level.x),
                  static_cast<double>(level.fo), static_cast<double>(level.best_fo));
}

std::string trace_ending(const landscape& f, const run_report& report) {
    const std::string ending =
        format("best: x = %.6f   reported %.6f   f(x) = %.6Lf   after %s",
               static_cast<double>(report.best_x), static_cast<double>(report.best_fo),
               f.value(report.best_x), count_of(report.analysed, "trial", "trials").c_str());
    return format("\n%s\n", wrapped(ending, 6, "   ").c_str());
}

}  // namespace sa
