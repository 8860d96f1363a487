#include "study/study.hpp"
#include "text/text.hpp"

// The line that names a case in reports and messages.

namespace sa {

std::string describe_case(const study_case& study) {
    return on_grid(describe(study.schedule), study.bits);
}

std::string on_grid(const std::string& schedule, int bits) {
    return format("%s, %d bits", schedule.c_str(), bits);
}

}  // namespace sa
