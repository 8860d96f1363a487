#include <array>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

// Trials whole while they are few, in three digits when many.
std::string trials_text(double trials) {
    return trials < 1e7 ? format("%.0f", trials) : format("%.3g", trials);
}

std::string seconds_text(double seconds) {
    if (seconds < 1e-3) {
        return format("%.3g us", seconds * 1e6);
    }
    return seconds < 1.0 ? format("%.3g ms", seconds * 1e3) : format("%.3g s", seconds);
}

// "R99 18.5 runs, TTS99 16311 trials, 231 us" and beneath it, after `indent`, "95 %: 13576
// to 19912 trials"; or why there is none. Two lines, so that each fits the report's width.
std::string estimate_text(const tts_estimate& estimate, const std::string& indent) {
    if (!estimate.expected) {
        return estimate.shortest ? "no run succeeded: TTS99 -\n" + indent + "95 %: at least " +
                                       trials_text(estimate.shortest->trials) + " trials"
                                 : "no run: TTS99 -";
    }
    const time_to_solution& expected = *estimate.expected;
    const std::string interval = estimate.longest
                                     ? trials_text(estimate.shortest->trials) + " to " +
                                           trials_text(estimate.longest->trials)
                                     : "at least " + trials_text(estimate.shortest->trials);
    return format("R99 %s, TTS99 %s trials, %s\n", runs_count(expected.runs).c_str(),
                  trials_text(expected.trials).c_str(), seconds_text(expected.seconds).c_str()) +
           indent + "95 %: " + interval + " trials";
}

// The columns right of the schedule's own, 34 characters with a space before each: 80 in all.
const std::vector<table_column> tts_columns = after_schedule_columns(
    {{6, "", "R99"}, {9, "TTS99", "trials"}, {7, "TTS99", "ms"}, {8, "peak", "TTS99"}});

// A cell in `pattern` where it fits, else in as many digits as fit; "-" without a time.
std::string cell(const std::optional<time_to_solution>& tts, double value, const char* pattern,
                 const table_column& within) {
    return tts ? fit(value, pattern, within) : "-";
}

}  // namespace

std::string runs_count(double runs) {
    return runs == 1.0 ? "1 run" : format("%.3g runs", runs);
}

std::string tts_lines(const case_result& result) {
    const std::string indent(19, ' ');
    return "  time to solution, 99 %, with restarts:\n    exact optimum  " +
           estimate_text(estimate_time_to_solution(result, success_measure::exact_optimum),
                         indent) +
           "\n    global peak    " +
           estimate_text(estimate_time_to_solution(result, success_measure::global_peak), indent) +
           "\n";
}

std::string tts_table(const std::vector<case_result>& results) {
    const auto row_of = [](const case_result& result) {
        const auto exact = estimate_time_to_solution(result, success_measure::exact_optimum);
        const auto peak = estimate_time_to_solution(result, success_measure::global_peak);
        std::vector<std::string> row = schedule_cells(result.study);
        const time_to_solution none{0.0, 0.0, 0.0};
        const time_to_solution e = exact.expected.value_or(none);
        const time_to_solution p = peak.expected.value_or(none);
        row.insert(row.end(), {cell(exact.expected, e.runs, "%.1f", tts_columns[7]),
                               cell(exact.expected, e.trials, "%.0f", tts_columns[8]),
                               cell(exact.expected, e.seconds * 1e3, "%.3g", tts_columns[9]),
                               cell(peak.expected, p.trials, "%.0f", tts_columns[10])});
        return row;
    };
    return "Time to solution with restarts:\n"
           "R99 runs reach the exact optimum with 99 % probability.\n\n" +
           table_of_cases(tts_columns, results, row_of);
}

std::string least_tts_line(const std::vector<case_result>& results) {
    const auto least = least_time_to_solution(results, success_measure::exact_optimum, tts_target,
                                              tts_unit::trials);
    if (!least) {
        return "No run of any schedule reached the exact optimum: no finite TTS99.\n";
    }
    const case_result& result = results[*least];
    return "Least TTS99 on the exact optimum:\n" + described_case(result.study) + "  " +
           estimate_text(estimate_time_to_solution(result, success_measure::exact_optimum), "  ") +
           "\n";
}

}  // namespace sa
