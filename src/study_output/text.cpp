#include <span>

#include "study_output/study_output.hpp"

namespace sa {

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
    const std::string law =
        takes_alpha(s.law) ? fit(alpha_of(s.law), c[1]) : spelling_of(s.law).label;
    return {fit(s.t0, c[0]),
            law,
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

std::string describe_cost(const study_case& study) {
    return count_of(count_levels(study.schedule), "level", "levels") + ", " +
           count_of(trials_per_run(study.schedule), "trial", "trials") + " per run";
}

}  // namespace sa
