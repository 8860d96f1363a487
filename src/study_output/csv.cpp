#include <charconv>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

constexpr const char* study_heading =
    "t0,alpha,t_final,trials_per_level,bits,levels,trials_per_run,runs,exact_optimum_runs,"
    "global_peak_runs,second_peak_runs,mean_best,median_run_us,total_run_seconds,cooling,"
    "exact_share_low,exact_share_high,r99,tts99_trials,tts99_trials_low,tts99_trials_high,"
    "tts99_seconds,peak_r99,peak_tts99_trials,peak_tts99_seconds,seed,first_run,"
    "median_measured,version\n";

// An empty field where there is no finite time.
std::string field(const std::optional<time_to_solution>& tts, double time_to_solution::*of) {
    return tts ? format("%.9g", *tts.*of) : "";
}

std::string tts_fields(const case_result& result) {
    const auto exact = estimate_time_to_solution(result, success_measure::exact_optimum);
    const auto peak = estimate_time_to_solution(result, success_measure::global_peak);
    return format("%.9g,%.9g,", exact.interval.low, exact.interval.high) +
           field(exact.expected, &time_to_solution::runs) + ',' +
           field(exact.expected, &time_to_solution::trials) + ',' +
           field(exact.shortest, &time_to_solution::trials) + ',' +
           field(exact.longest, &time_to_solution::trials) + ',' +
           field(exact.expected, &time_to_solution::seconds) + ',' +
           field(peak.expected, &time_to_solution::runs) + ',' +
           field(peak.expected, &time_to_solution::trials) + ',' +
           field(peak.expected, &time_to_solution::seconds);
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end = line.find(',');; end = line.find(',', start)) {
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

template <typename T>
bool read_number(const std::string& text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// One row back into the case, its summary and its origin; false when a field does not read.
bool read_row(const std::vector<std::string>& f, study_csv_row& row) {
    float t0 = 0.0F;
    float alpha = 0.0F;
    float t_final = 0.0F;
    std::int64_t levels = 0;
    const std::optional<cooling> law = law_named(f[14]);
    study_summary& s = row.result.summary;
    double median_us = 0.0;
    int measured = 0;
    const bool read = law && read_number(f[0], t0) && read_number(f[1], alpha) &&
                      read_number(f[2], t_final) &&
                      read_number(f[3], row.result.study.schedule.trials_per_level) &&
                      read_number(f[4], row.result.study.bits) && read_number(f[5], levels) &&
                      read_number(f[7], s.runs) && read_number(f[8], s.exact_optimum) &&
                      read_number(f[9], s.global_peak) && read_number(f[10], s.second_peak) &&
                      read_number(f[11], s.mean_best) && read_number(f[12], median_us) &&
                      read_number(f[13], s.total_seconds) && read_number(f[25], row.origin.seed) &&
                      read_number(f[26], row.origin.first_run) && read_number(f[27], measured);
    schedule_params& schedule = row.result.study.schedule;
    schedule.t0 = t0;
    schedule.t_final = t_final;
    schedule.law = law_with(law.value_or(cooling{}), alpha, static_cast<int>(levels));
    s.median_seconds = median_us / 1e6;
    row.origin.medians_measured = measured == 1;
    row.version = f[28];
    return read;
}

}  // namespace

std::string study_csv(const std::vector<case_result>& results, const study_origin& origin) {
    std::string text = study_heading;
    for (const case_result& result : results) {
        const schedule_params& s = result.study.schedule;
        const study_summary& summary = result.summary;
        text += format(
            "%s,%s,%s,%d,%d,%lld,%lld,%ld,%ld,%ld,%ld,%.9g,%.3f,%.6f,%s,", shortest(s.t0).c_str(),
            shortest(alpha_of(s.law)).c_str(), shortest(s.t_final).c_str(), s.trials_per_level,
            result.study.bits, static_cast<long long>(count_levels(s)),
            static_cast<long long>(trials_per_run(s)), summary.runs, summary.exact_optimum,
            summary.global_peak, summary.second_peak, summary.mean_best,
            summary.median_seconds * 1e6, summary.total_seconds, spelling_of(s.law).name);
        text += tts_fields(result);
        text += format(",%u,%llu,%d,%s\n", origin.seed,
                       static_cast<unsigned long long>(origin.first_run),
                       origin.medians_measured ? 1 : 0, SA_DEMO_VERSION);
    }
    return text;
}

std::optional<std::vector<study_csv_row>> read_study_csv(const std::string& text) {
    if (!text.starts_with(study_heading)) {
        return std::nullopt;
    }
    std::vector<study_csv_row> rows;
    std::size_t start = std::string(study_heading).size();
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::vector<std::string> fields = fields_of(text.substr(start, end - start));
        study_csv_row row{};
        if (end == std::string::npos || fields.size() != 29 || !read_row(fields, row)) {
            return std::nullopt;
        }
        rows.push_back(row);
        start = end + 1;
    }
    return rows;
}

std::string trace_csv_heading() {
    return "level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo\n";
}

std::string trace_csv_row(const level_summary& level) {
    return format("%lld,%.17g,%d,%d,%d,%s,%s,%s\n", static_cast<long long>(level.level),
                  level.temperature, level.improving, level.worsening, level.trials,
                  shortest(level.x).c_str(), shortest(level.fo).c_str(),
                  shortest(level.best_fo).c_str());
}

}  // namespace sa
