#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "study/study.hpp"

namespace sa {

namespace {

template <typename T>
std::vector<T> or_default(const std::vector<T>& values, T demo_value) {
    return values.empty() ? std::vector<T>{demo_value} : values;
}

// The schedules of one law between two temperatures, before their trials per level are set:
// one for each alpha of a geometric law, one for each L of another.
std::vector<schedule_params> coolings(const sweep_request& request, const schedule_params& demo,
                                      const schedule_params& between, cooling_law law) {
    std::vector<schedule_params> schedules;
    if (law == cooling_law::geometric) {
        // The demo's constants are floats widened to double, so narrowing them loses nothing.
        const std::vector<float> alphas = or_default(request.alpha, static_cast<float>(demo.alpha));
        std::transform(alphas.begin(), alphas.end(), std::back_inserter(schedules),
                       [&between](float alpha) {
                           return schedule_params{between.t0, between.t_final, alpha, 0};
                       });
        return schedules;
    }
    const schedule_params demo_cooling{between.t0, between.t_final, demo.alpha, 1};
    const std::vector<int> all_levels =
        or_default(request.levels, static_cast<int>(count_levels(demo_cooling)));
    std::transform(all_levels.begin(), all_levels.end(), std::back_inserter(schedules),
                   [&between, law](int levels) {
                       return schedule_params{between.t0, between.t_final, 0.0, 0, law, levels};
                   });
    return schedules;
}

// Every schedule between two temperatures: each law's coolings, each with every number of
// trials per level.
std::vector<schedule_params> schedules_between(const sweep_request& request,
                                               const schedule_params& demo,
                                               const schedule_params& between) {
    std::vector<schedule_params> schedules;
    const std::vector<int> trials = or_default(request.trials, demo.trials_per_level);
    for (const cooling_law law : or_default(request.laws, cooling_law::geometric)) {
        for (schedule_params schedule : coolings(request, demo, between, law)) {
            for (const int per_level : trials) {
                schedule.trials_per_level = per_level;
                schedules.push_back(schedule);
            }
        }
    }
    return schedules;
}

constexpr std::array<std::pair<cooling_law, const char*>, 3> law_names = {{
    {cooling_law::geometric, "geometric"},
    {cooling_law::linear, "linear"},
    {cooling_law::lundy_mees, "lundy-mees"},
}};

}  // namespace

encoding study_encoding(int bits) {
    return encoding_with(bits, demo_problem.x_min, demo_problem.x_max);
}

std::vector<study_case> sweep_cases(const sweep_request& request) {
    const int demo_bits = encoding_for(demo_problem).n_bits;
    std::vector<study_case> cases;
    for (const int bits : or_default(request.bits, demo_bits)) {
        const schedule_params demo = demo_schedule(study_encoding(bits));
        for (const float t0 : or_default(request.t0, static_cast<float>(demo.t0))) {
            for (const float t_final :
                 or_default(request.t_final, static_cast<float>(demo.t_final))) {
                const schedule_params between{t0, t_final, 0.0, 0};
                const std::vector<schedule_params> schedules =
                    schedules_between(request, demo, between);
                std::transform(schedules.begin(), schedules.end(), std::back_inserter(cases),
                               [bits](const schedule_params& schedule) {
                                   return study_case{schedule, bits};
                               });
            }
        }
    }
    return cases;
}

const char* cooling_law_name(cooling_law law) {
    const auto* named = std::find_if(law_names.begin(), law_names.end(),
                                     [law](const auto& entry) { return entry.first == law; });
    return named->second;
}

std::optional<cooling_law> parse_cooling_law(std::string_view name) {
    const auto* named = std::find_if(law_names.begin(), law_names.end(),
                                     [name](const auto& entry) { return entry.second == name; });
    if (named == law_names.end()) {
        return std::nullopt;
    }
    return named->first;
}

}  // namespace sa
