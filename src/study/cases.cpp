#include "study/study.hpp"
#include "text/text.hpp"

// The line that names a case in reports and messages.

namespace sa {

std::string describe_case(const study_case& study) {
    const std::string schedule = on_grid(describe(study.schedule), study.bits);
    return study.landscape == demo_landscape()
               ? schedule
               : schedule + ", on " + landscape_label(study.landscape);
}

std::string landscape_label(const landscape& f) {
    const problem_params& interval = f.problem();
    return f.on_demo_interval() ? f.name()
                                : f.name() + " over [" + shortest(interval.x_min) + ", " +
                                      shortest(interval.x_max) + "]";
}

std::string on_grid(const std::string& schedule, int bits) {
    return format("%s, %d bits", schedule.c_str(), bits);
}

}  // namespace sa
