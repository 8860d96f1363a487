#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <span>

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

std::string fit(double value, const table_column& within) {
    for (int digits = 7; digits > 1; --digits) {
        std::string text = format("%.*g", digits, value);
        if (static_cast<int>(text.size()) <= within.width) {
            return text;
        }
    }
    return format("%.1g", value);
}

std::string fit(double value, const char* pattern, const table_column& within) {
    std::string text = format(pattern, value);
    return static_cast<int>(text.size()) <= within.width ? text : fit(value, within);
}

std::string table_text(std::span<const table_column> columns,
                       const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    const auto add_line = [&text, columns](const auto& cell_of) {
        std::string line;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            line += format("%*s ", columns[i].width, cell_of(i));
        }
        line.pop_back();
        text += line + '\n';
    };
    add_line([columns](std::size_t i) { return columns[i].upper; });
    add_line([columns](std::size_t i) { return columns[i].lower; });
    for (const std::vector<std::string>& row : rows) {
        add_line([&row](std::size_t i) { return row[i].c_str(); });
    }
    return text;
}

std::vector<std::string> schedule_cells(const study_case& study) {
    const schedule_params& s = study.schedule;
    const auto& c = schedule_columns;
    const std::string cooling = s.law == cooling_law::geometric ? fit(s.alpha, c[1])
                                : s.law == cooling_law::linear  ? "linear"
                                                                : "L-M";
    return {fit(s.t0, c[0]),
            cooling,
            fit(s.t_final, c[2]),
            fit(s.trials_per_level, c[3]),
            fit(study.bits, c[4]),
            fit(static_cast<double>(count_levels(s)), c[5]),
            fit(static_cast<double>(trials_per_run(s)), c[6])};
}

std::vector<table_column> after_schedule_columns(std::initializer_list<table_column> more) {
    std::vector<table_column> columns(schedule_columns.begin(), schedule_columns.end());
    columns.insert(columns.end(), more);
    return columns;
}

std::string count_of(std::int64_t count, const char* singular, const char* plural) {
    return format("%lld %s", static_cast<long long>(count), count == 1 ? singular : plural);
}

std::string describe_case(const study_case& study) {
    const schedule_params& s = study.schedule;
    const std::string cooling = s.law == cooling_law::geometric ? "alpha " + shortest(s.alpha)
                                : s.law == cooling_law::linear  ? "linear cooling"
                                                                : "Lundy-Mees cooling";
    return format("T0 %s, %s, final T %s, %s per level, %d bits", shortest(s.t0).c_str(),
                  cooling.c_str(), shortest(s.t_final).c_str(),
                  count_of(s.trials_per_level, "trial", "trials").c_str(), study.bits);
}

std::string describe_cost(const study_case& study) {
    return count_of(count_levels(study.schedule), "level", "levels") + ", " +
           count_of(trials_per_run(study.schedule), "trial", "trials") + " per run";
}

}  // namespace sa
