// sa_study: how well the annealing schedule of sa_demo does on its function, over many runs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "chart.hpp"
#include "objective/objective.hpp"
#include "options.hpp"
#include "study.hpp"

namespace {

// The second highest peak's two top points share its value.
constexpr peak_range second_peak{65048, 65049};

void print_optimum(const grid_optimum& optimum) {
    std::printf("Exact optimum over all %d grid points (%.1f ms):\n", 131072,
                optimum.seconds * 1e3);
    std::printf("  x = %.6f   f(x) = %.6Lf   decoded value %d\n\n", static_cast<double>(optimum.x),
                optimum.value, optimum.d);
}

void print_summary(const study_summary& summary, const peak_range& global_peak) {
    std::printf("%d runs:\n", summary.runs);
    std::printf("  best is the exact optimum      %6.2f %%\n", 100.0 * summary.exact_share);
    std::printf("  best on the global peak        %6.2f %%   (decoded %d..%d)\n",
                100.0 * summary.global_peak_share, global_peak.first, global_peak.last);
    std::printf("  best at the second peak        %6.2f %%   (decoded %d or %d)\n",
                100.0 * summary.second_peak_share, second_peak.first, second_peak.last);
    std::printf("  mean best value                %.6f\n", summary.mean_best);
    std::printf("  worst best value               %.6f\n", static_cast<double>(summary.worst_best));
    std::printf("  reported best - f(best x)      mean %.3g, largest %.3g\n", summary.mean_gap,
                summary.max_gap);
    std::printf("  median time per run            %.1f us\n\n", summary.median_seconds * 1e6);
}

void print_chart(const study_problem& problem, const std::vector<run_record>& runs) {
    std::vector<float> best_xs(runs.size());
    std::transform(runs.begin(), runs.end(), best_xs.begin(),
                   [](const run_record& run) { return run.best_x; });
    std::printf("f(x) over [%g, %g]:\n", static_cast<double>(problem.x_min),
                static_cast<double>(problem.x_max));
    std::printf("%s", plot_area(column_maxima(problem), 1.6, 16).c_str());
    std::printf("%s", plot_axis(problem.x_min, problem.x_max).c_str());
    std::printf("\nwhere the runs' best x lie:\n");
    std::printf("%s", plot_bars(column_counts(best_xs, problem.x_min, problem.x_max), 8).c_str());
    std::printf("%s", plot_axis(problem.x_min, problem.x_max).c_str());
}

int study(const study_options& options, sa::random_engine& engine) {
    const study_problem problem;
    const grid_optimum optimum = scan_grid(problem);
    const peak_range global_peak = peak_around(problem, optimum.d);
    print_optimum(optimum);

    std::vector<run_record> runs;
    runs.reserve(static_cast<std::size_t>(options.runs));
    for (long i = 0; i < options.runs; ++i) {
        runs.push_back(study_run(problem, engine));
    }
    print_summary(summarize(runs, optimum, global_peak, second_peak), global_peak);
    print_chart(problem, runs);
    return 0;
}

int trace(sa::random_engine& engine) {
    const study_problem problem;
    random_start start = draw_start(problem, engine);
    std::printf("start: x = %.6f   f(x) = %.6f\n\n", static_cast<double>(start.x),
                static_cast<double>(start.cur.fo));
    std::printf("level          T   up/down   rate          x        fo      best\n");
    const auto print_level = [](const sa::level_summary& level) {
        const int accepted = level.improving + level.worsening;
        const double rate = level.trials > 0 ? static_cast<double>(accepted) / level.trials : 0.0;
        std::printf("%5d %10.5f %5d/%-3d %6.3f %10.6f %9.6f %9.6f\n", level.level,
                    level.temperature, level.improving, level.worsening, rate,
                    static_cast<double>(level.x), static_cast<double>(level.fo),
                    static_cast<double>(level.best_fo));
    };
    const sa::run_report outcome = anneal_start(problem, start, engine, print_level);
    std::printf("\nbest: x = %.6f   reported %.6f   f(x) = %.6Lf   after %ld trials\n",
                static_cast<double>(outcome.best_x), static_cast<double>(outcome.best_fo),
                sa::objective(outcome.best_x), outcome.analysed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const parsed_options parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "sa_study: %s\nTry 'sa_study --help'.\n", parsed.error.c_str());
        return 2;
    }
    study_options options = parsed.options;
    if (options.help) {
        std::printf("%s", usage_text().c_str());
        return 0;
    }
    if (!options.seed_given) {
        options.seed = static_cast<unsigned long>(std::time(nullptr)) & 0xFFFFFFFFUL;
    }
    std::printf("seed %lu\n\n", options.seed);
    sa::random_engine engine(static_cast<std::uint32_t>(options.seed));
    return options.trace ? trace(engine) : study(options, engine);
}
