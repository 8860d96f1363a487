#include <algorithm>
#include <iterator>

#include "study/study.hpp"

namespace sa {

namespace {

template <typename T>
std::vector<T> or_default(const std::vector<T>& values, T demo_value) {
    return values.empty() ? std::vector<T>{demo_value} : values;
}

}  // namespace

encoding study_encoding(int bits) {
    return encoding_with(bits, demo_problem.x_min, demo_problem.x_max);
}

std::vector<study_case> sweep_cases(const sweep_request& request) {
    const int demo_bits = encoding_for(demo_problem).n_bits;
    std::vector<study_case> cases;
    for (const int bits : or_default(request.bits, demo_bits)) {
        const schedule_params demo = demo_schedule(study_encoding(bits));
        // The demo's constants are floats widened to double, so narrowing them loses nothing.
        for (const float t0 : or_default(request.t0, static_cast<float>(demo.t0))) {
            for (const float t_final :
                 or_default(request.t_final, static_cast<float>(demo.t_final))) {
                for (const float alpha :
                     or_default(request.alpha, static_cast<float>(demo.alpha))) {
                    const std::vector<int> trials =
                        or_default(request.trials, demo.trials_per_level);
                    std::transform(trials.begin(), trials.end(), std::back_inserter(cases),
                                   [&](int per_level) {
                                       return study_case{{t0, t_final, alpha, per_level}, bits};
                                   });
                }
            }
        }
    }
    return cases;
}

}  // namespace sa
