#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>

#include "study_output/study_output.hpp"

namespace sa {

std::string wrapped(std::string_view line, int indent, std::string_view break_after) {
    std::string text;
    std::string current;
    bool started = false;  // whether the current line holds a piece yet
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t found = line.find(break_after, start);
        const std::size_t end =
            found == std::string_view::npos ? line.size() : found + break_after.size();
        const std::string_view piece = line.substr(start, end - start);
        const std::string_view shown = piece.substr(0, piece.find_last_not_of(' ') + 1);
        if (started && static_cast<int>(current.size() + shown.size()) > report_width) {
            text += current.substr(0, current.find_last_not_of(' ') + 1) + '\n';
            current.assign(static_cast<std::size_t>(indent), ' ');
        }
        current += piece;
        started = true;
        start = end;
    }
    return text + current;
}

std::string runs_text(std::uint64_t first, std::uint64_t last) {
    const auto from = static_cast<unsigned long long>(first);
    const auto to = static_cast<unsigned long long>(last);
    return first == last ? format("run %llu", from) : format("runs %llu to %llu", from, to);
}

namespace {

// "1e+06" as "1e6", "1.5e-07" as "1.5e-7": for a number no usual form fits.
std::string compact_exponent(std::string text) {
    const std::size_t e = text.find('e');
    if (e == std::string::npos) {
        return text;
    }
    std::size_t digits = e + 1;
    if (text[digits] == '+') {
        text.erase(digits, 1);
    } else if (text[digits] == '-') {
        ++digits;
    }
    while (digits + 1 < text.size() && text[digits] == '0') {
        text.erase(digits, 1);
    }
    return text;
}

}  // namespace

std::string fit(double value, const table_column& within) {
    for (const bool compact : {false, true}) {
        for (int digits = 7; digits >= 1; --digits) {
            const std::string general = format("%.*g", digits, value);
            std::string text = compact ? compact_exponent(general) : general;
            if (static_cast<int>(text.size()) <= within.width) {
                return text;
            }
        }
    }
    return compact_exponent(format("%.1g", value));
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

std::string table_of_cases(
    std::span<const table_column> columns, const std::vector<case_result>& results,
    const std::function<std::vector<std::string>(const case_result&)>& row_of) {
    const bool all_demo = std::all_of(results.begin(), results.end(), [](const case_result& r) {
        return std::holds_alternative<demo_acceptance>(r.study.schedule.acceptance());
    });
    std::string text;
    for (const acceptance& rule : every_acceptance()) {
        std::vector<std::vector<std::string>> rows;
        for (const case_result& result : results) {
            if (result.study.schedule.acceptance() == rule) {
                rows.push_back(row_of(result));
            }
        }
        if (rows.empty()) {
            continue;
        }
        if (!all_demo) {
            std::string title = spelling_of(rule).title;
            title.front() =
                static_cast<char>(std::toupper(static_cast<unsigned char>(title.front())));
            text += (text.empty() ? "" : "\n") + title + ":\n";
        }
        text += table_text(columns, rows);
    }
    return text;
}

namespace {

// A cooling factor near 1 as 1 - m e-k ("1-6e-8" for 0.99999994), in as few digits as read
// back as the same float; none when no such text fits the column.
std::optional<std::string> below_one_text(float alpha, const table_column& within) {
    // 1 - alpha is exact in double for a float alpha between 0.5 and 1.
    const double below_one = 1.0 - static_cast<double>(alpha);
    for (int digits = 1; digits <= within.width; ++digits) {
        // "1.8e-07" becomes "18e-8".
        const std::string scientific = format("%.*e", digits - 1, below_one);
        const std::size_t e = scientific.find('e');
        std::string mantissa = scientific.substr(0, e);
        std::erase(mantissa, '.');
        const int exponent = std::stoi(scientific.substr(e + 1)) - (digits - 1);
        const std::string rest = mantissa + "e" + std::to_string(exponent);
        const std::string text = "1-" + rest;
        if (static_cast<int>(text.size()) > within.width) {
            return std::nullopt;
        }
        if (static_cast<float>(1.0 - std::stod(rest)) == alpha) {
            return text;
        }
    }
    return std::nullopt;
}

// A cooling factor as it reads back: its shortest text where that fits, else near 1 as the
// distance below 1, else in as many digits as fit.
std::string factor_cell(double widened_float, const table_column& within) {
    const auto alpha = static_cast<float>(widened_float);
    std::string text = shortest(alpha);
    if (static_cast<int>(text.size()) <= within.width) {
        return text;
    }
    if (alpha > 0.5F) {
        if (std::optional<std::string> below = below_one_text(alpha, within)) {
            return *below;
        }
    }
    return fit(widened_float, within);
}

}  // namespace

std::vector<std::string> schedule_cells(const study_case& study) {
    const cooling_schedule& s = study.schedule;
    const auto& c = schedule_columns;
    const std::string law =
        takes_alpha(s.law()) ? factor_cell(alpha_of(s.law()), c[1]) : spelling_of(s.law()).label;
    return {fit(s.t0(), c[0]),
            law,
            fit(s.t_final(), c[2]),
            fit(s.trials_per_level(), c[3]),
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
