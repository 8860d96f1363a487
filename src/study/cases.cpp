#include "study/study.hpp"

// A case's grid and the line that names it in reports and messages.

namespace sa {

encoding study_encoding(int bits) {
    return encoding_with(bits, demo_problem.x_min, demo_problem.x_max);
}

std::string describe_case(const study_case& study) {
    const schedule_params& s = study.schedule;
    const std::string law = takes_alpha(s.law) ? "alpha " + shortest(alpha_of(s.law))
                                               : std::string(spelling_of(s.law).title) + " cooling";
    return format("T0 %s, %s, final T %s, %s per level, %d bits", shortest(s.t0).c_str(),
                  law.c_str(), shortest(s.t_final).c_str(),
                  count_of(s.trials_per_level, "trial", "trials").c_str(), study.bits);
}

}  // namespace sa
