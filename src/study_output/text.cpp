#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "study_output/study_output.hpp"

namespace sa {

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), pattern, again);
    va_end(again);
    text.pop_back();
    return text;
}

std::string shortest(float value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

std::string shortest(double widened_float) {
    return shortest(static_cast<float>(widened_float));
}

std::string count_of(std::int64_t count, const char* singular, const char* plural) {
    return format("%lld %s", static_cast<long long>(count), count == 1 ? singular : plural);
}

std::string describe_case(const study_case& study) {
    const schedule_params& s = study.schedule;
    return format("T0 %s, alpha %s, final T %s, %s per level, %d bits", shortest(s.t0).c_str(),
                  shortest(s.alpha).c_str(), shortest(s.t_final).c_str(),
                  count_of(s.trials_per_level, "trial", "trials").c_str(), study.bits);
}

std::string describe_cost(const study_case& study) {
    return count_of(count_levels(study.schedule), "level", "levels") + ", " +
           count_of(trials_per_run(study.schedule), "trial", "trials") + " per run";
}

}  // namespace sa
