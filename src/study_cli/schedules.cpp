#include <algorithm>
#include <cmath>
#include <numeric>

#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

template <typename T>
double count_or_one(const std::vector<T>& values) {
    return static_cast<double>(std::max<std::size_t>(values.size(), 1));
}

// The number of schedules the lists make; a double cannot overflow here.
double schedules_in(const sweep_request& sweep) {
    const std::vector<cooling_law> laws =
        sweep.laws.empty() ? std::vector<cooling_law>{cooling_law::geometric} : sweep.laws;
    const double coolings =
        std::accumulate(laws.begin(), laws.end(), 0.0, [&sweep](double sum, cooling_law law) {
            return sum + (law == cooling_law::geometric ? count_or_one(sweep.alpha)
                                                        : count_or_one(sweep.levels));
        });
    return count_or_one(sweep.bits) * count_or_one(sweep.t0) * count_or_one(sweep.t_final) *
           coolings * count_or_one(sweep.trials);
}

// A run's trials, estimated before they are counted one level at a time: counting a
// geometric schedule of 10^15 levels would never end.
double estimated_trials(const schedule_params& s) {
    const double levels = s.law == cooling_law::geometric
                              ? std::ceil(std::log(s.t_final / s.t0) / std::log(s.alpha))
                              : static_cast<double>(s.levels);
    return levels * s.trials_per_level;
}

std::string check_run_length(const study_case& study) {
    const schedule_params& s = study.schedule;
    if (s.t0 <= s.t_final) {
        return "T0 must lie above the final T, so that the schedule has a level (T0 " +
               shortest(s.t0) + ", final T " + shortest(s.t_final) + ")";
    }
    const double estimate = estimated_trials(s);
    const bool too_long = estimate > 1.01 * static_cast<double>(max_trials_per_run) ||
                          trials_per_run(s) > max_trials_per_run;
    if (too_long) {
        return describe_case(study) + ": about " + format("%.2g", estimate) +
               " trials per run, more than the 10^9 a run may make";
    }
    return {};
}

bool any_geometric(const std::vector<cooling_law>& laws) {
    return laws.empty() ||
           std::find(laws.begin(), laws.end(), cooling_law::geometric) != laws.end();
}

std::string check_laws(const schedule_request& request) {
    const std::vector<cooling_law>& laws = request.sweep.laws;
    if (request.alpha_given && !any_geometric(laws)) {
        return "--alpha sets geometric cooling, which --cooling leaves out";
    }
    const bool only_geometric = std::all_of(
        laws.begin(), laws.end(), [](cooling_law law) { return law == cooling_law::geometric; });
    if (request.levels_given && only_geometric) {
        return "--levels sets linear and Lundy-Mees cooling, not geometric (see --cooling)";
    }
    return {};
}

// The grid's automatic temperatures, put into a copy of the request for that grid alone.
std::string choose_for_grid(const schedule_request& request, int bits, study_options& options,
                            sweep_request& grid_sweep) {
    const automatic_temperatures chosen =
        choose_temperatures(options.seed, {request.auto_t0, request.auto_t_final}, bits);
    if ((request.auto_t0 && !chosen.t0) || (request.auto_t_final && !chosen.t_final)) {
        return format(
            "no move worsens the value in a sample of %d moves on %d bits, so no "
            "temperature can be chosen from it",
            temperature_sample_moves, bits);
    }
    if (chosen.t0) {
        grid_sweep.t0 = {static_cast<float>(chosen.t0->temperature)};
    }
    if (chosen.t_final) {
        grid_sweep.t_final = {static_cast<float>(chosen.t_final->temperature)};
    }
    options.automatic.push_back(chosen);
    return {};
}

// The cases, bits outermost as the sweep orders them; automatic temperatures differ by grid.
std::string expand(const schedule_request& request, study_options& options) {
    if (!request.auto_t0 && !request.auto_t_final) {
        options.cases = sweep_cases(request.sweep);
        return {};
    }
    const std::vector<int> all_bits = request.sweep.bits.empty()
                                          ? std::vector<int>{encoding_for(demo_problem).n_bits}
                                          : request.sweep.bits;
    for (const int bits : all_bits) {
        sweep_request grid_sweep = request.sweep;
        grid_sweep.bits = {bits};
        if (std::string error = choose_for_grid(request, bits, options, grid_sweep);
            !error.empty()) {
            return error;
        }
        const std::vector<study_case> cases = sweep_cases(grid_sweep);
        options.cases.insert(options.cases.end(), cases.begin(), cases.end());
    }
    return {};
}

}  // namespace

std::string expand_schedules(const schedule_request& request, study_options& options) {
    if (std::string error = check_laws(request); !error.empty()) {
        return error;
    }
    if (const double schedules = schedules_in(request.sweep);
        schedules > static_cast<double>(max_schedules)) {
        return "the lists make " + format("%.0f", schedules) +
               " schedules, more than the 10,000 a sweep may hold";
    }
    if (std::string error = expand(request, options); !error.empty()) {
        return error;
    }
    for (const study_case& study : options.cases) {
        if (std::string error = check_run_length(study); !error.empty()) {
            return error;
        }
    }
    return {};
}

}  // namespace sa
