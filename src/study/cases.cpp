#include "study/study.hpp"

// A case's grid and the line that names it in reports and messages.

namespace sa {

encoding study_encoding(int bits) {
    return encoding_with(bits, demo_problem.x_min, demo_problem.x_max);
}

std::string describe_case(const study_case& study) {
    return on_grid(describe(study.schedule), study.bits);
}

std::string on_grid(const std::string& schedule, int bits) {
    return format("%s, %d bits", schedule.c_str(), bits);
}

}  // namespace sa
