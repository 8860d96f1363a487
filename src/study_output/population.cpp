#include <algorithm>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

// The hills the report and the CSV name: those of f's two highest peaks.
constexpr std::size_t global_hill = 0;
constexpr std::size_t second_hill = 1;

// Levels the report shows: about this many, evenly spaced, and the last.
constexpr std::int64_t reported_levels = 10;

// 60 columns, with single spaces between.
constexpr std::array<table_column, 7> population_columns = {{{6, "", "level"},
                                                             {10, "", "T"},
                                                             {7, "global", "runs"},
                                                             {7, "peak %", "equil."},
                                                             {7, "second", "runs"},
                                                             {7, "peak %", "equil."},
                                                             {8, "TV", "distance"}}};

double share_of(const population_level& level, std::size_t hill, long runs) {
    return static_cast<double>(level.hill_runs[hill]) / static_cast<double>(runs);
}

// A hill's share of the runs and of the equilibrium, written by `write`; `none` for both where
// the landscape has no such hill.
template <typename Write>
std::array<std::string, 2> hill_figures(const population_level& level, std::size_t hill, long runs,
                                        const Write& write, const char* none) {
    if (hill >= level.hill_runs.size()) {
        return {none, none};
    }
    return {write(share_of(level, hill, runs)), write(level.hill_mass[hill])};
}

std::vector<std::string> level_cells(const population_level& level, long runs) {
    const auto percent = [](double share) { return format("%.1f", 100.0 * share); };
    const auto [global_runs, global_mass] = hill_figures(level, global_hill, runs, percent, "-");
    const auto [second_runs, second_mass] = hill_figures(level, second_hill, runs, percent, "-");
    return {format("%lld", static_cast<long long>(level.level)),
            fit(level.temperature, population_columns[1]),
            global_runs,
            global_mass,
            second_runs,
            second_mass,
            format("%.3f", level.tv_distance)};
}

}  // namespace

std::string population_report(const population_study& population) {
    const std::vector<population_level>& levels = population.levels;
    std::string text = "schedule: " + describe_case(population.study) + "\n          " +
                       describe_cost(population.study) + "\n\n";
    const bool textbook =
        std::holds_alternative<demo_acceptance>(population.study.schedule.acceptance());
    const std::string equilibrium =
        textbook ? "Boltzmann's distribution of the grid, the textbook equilibrium,"
                 : "Boltzmann's distribution of the grid, the equilibrium of the runs' chain "
                   "while every move's exp(delta / T) is 2^-53 or more,";
    const std::string kept_off =
        textbook ? " Under the demo's acceptance the runs keep off it at low temperature: their r "
                   "takes 10,000 values, 0 among them, and a draw of 0 takes any worse move whose "
                   "exp(delta / T) is not 0, however cold the run."
                 : "";
    text += wrapped(format("%s as each level ends: the shares on the hills of f's highest and "
                           "second highest peaks, beside those of %s and the total variation "
                           "distance between the two over %s.%s",
                           count_of(population.runs, "run", "runs").c_str(), equilibrium.c_str(),
                           population.hills.size() == 1
                               ? "f's only hill"
                               : format("all %zu hills", population.hills.size()).c_str(),
                           kept_off.c_str()),
                    0) +
            "\n\n";
    const auto count = static_cast<std::int64_t>(levels.size());
    const std::int64_t every = std::max<std::int64_t>(1, count / reported_levels);
    std::vector<std::vector<std::string>> rows;
    for (std::int64_t level = 0; level < count; level += every) {
        if (level + every >= count) {
            break;
        }
        rows.push_back(level_cells(levels[static_cast<std::size_t>(level)], population.runs));
    }
    const population_level& last = levels.back();
    rows.push_back(level_cells(last, population.runs));
    text += table_text(population_columns, rows);
    text += format(
        "\nAs the last level ends, at T %.4g: %.2f %% of the runs on the global peak,\n"
        "where %s has %.2f %%; distance %.3f.\n",
        last.temperature, 100.0 * share_of(last, global_hill, population.runs),
        textbook ? "the textbook equilibrium" : "the equilibrium",
        100.0 * last.hill_mass[global_hill], last.tv_distance);
    return text;
}

std::string population_csv(const population_study& population) {
    std::string text =
        "level,temperature,runs,share_global_peak,boltzmann_global_peak,share_second_peak,"
        "boltzmann_second_peak,tv_distance\n";
    const auto fraction = [](double share) { return format("%.9g", share); };
    for (const population_level& level : population.levels) {
        const auto [global_runs, global_mass] =
            hill_figures(level, global_hill, population.runs, fraction, "");
        const auto [second_runs, second_mass] =
            hill_figures(level, second_hill, population.runs, fraction, "");
        text += format("%lld,%.17g,%ld,%s,%s,%s,%s,%.9g\n", static_cast<long long>(level.level),
                       level.temperature, population.runs, global_runs.c_str(), global_mass.c_str(),
                       second_runs.c_str(), second_mass.c_str(), level.tv_distance);
    }
    return text;
}

}  // namespace sa
