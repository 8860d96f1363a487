#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

// The columns of a study's CSV, in order.
enum class column : std::size_t {
    t0,
    alpha,
    t_final,
    trials_per_level,
    bits,
    levels,
    trials_per_run,
    runs,
    exact_optimum_runs,
    global_peak_runs,
    second_peak_runs,
    mean_best,
    median_run_us,
    total_run_seconds,
    law,  // "cooling"
    exact_share_low,
    exact_share_high,
    r99,
    tts99_trials,
    tts99_trials_low,
    tts99_trials_high,
    tts99_seconds,
    peak_r99,
    peak_tts99_trials,
    peak_tts99_seconds,
    seed,
    first_run,
    median_measured,
    version,
    best_sum,
    acceptance,
    landscape,  // last, since a formula's commas make it a quoted field
};
constexpr std::size_t column_count = static_cast<std::size_t>(column::landscape) + 1;

constexpr std::array<const char*, column_count> column_names = {
    "t0",
    "alpha",
    "t_final",
    "trials_per_level",
    "bits",
    "levels",
    "trials_per_run",
    "runs",
    "exact_optimum_runs",
    "global_peak_runs",
    "second_peak_runs",
    "mean_best",
    "median_run_us",
    "total_run_seconds",
    "cooling",
    "exact_share_low",
    "exact_share_high",
    "r99",
    "tts99_trials",
    "tts99_trials_low",
    "tts99_trials_high",
    "tts99_seconds",
    "peak_r99",
    "peak_tts99_trials",
    "peak_tts99_seconds",
    "seed",
    "first_run",
    "median_measured",
    "version",
    "best_sum",
    "acceptance",
    "landscape",
};

// The fields of a row, by column.
template <typename Field>
class row_of {
  public:
    Field& operator[](column c) { return fields_[static_cast<std::size_t>(c)]; }
    const Field& operator[](column c) const { return fields_[static_cast<std::size_t>(c)]; }

  private:
    std::array<Field, column_count> fields_{};
};

std::string heading() {
    std::string text;
    for (const char* name : column_names) {
        text += text.empty() ? "" : ",";
        text += name;
    }
    return text + '\n';
}

// Text as a field: in quotes, each quote written twice, where it holds a comma or a quote.
std::string csv_text(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + '"';
}

// The text of a field written by csv_text; none for a field it cannot have written.
std::optional<std::string> read_csv_text(std::string_view field) {
    if (!field.starts_with('"')) {
        return field.find_first_of(",\"") == std::string_view::npos
                   ? std::optional<std::string>(field)
                   : std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < field.size(); ++i) {
        if (field[i] != '"') {
            text += field[i];
        } else if (i + 1 == field.size()) {
            return text;
        } else if (field[++i] == '"') {
            text += '"';
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;  // the closing quote is missing
}

// An empty field where there is no finite time.
std::string field(const std::optional<time_to_solution>& tts, double time_to_solution::*of) {
    return tts ? format("%.9g", *tts.*of) : "";
}

// The fields of a row as the writer writes them.
row_of<std::string> written_fields(const case_result& result, const study_origin& origin) {
    const cooling_schedule& s = result.study.schedule;
    const study_summary& summary = result.summary;
    const auto exact = estimate_time_to_solution(result, success_measure::exact_optimum);
    const auto peak = estimate_time_to_solution(result, success_measure::global_peak);
    row_of<std::string> f;
    using enum column;
    f[t0] = shortest(s.t0());
    f[alpha] = shortest(alpha_of(s.law()));
    f[t_final] = shortest(s.t_final());
    f[trials_per_level] = std::to_string(s.trials_per_level());
    f[bits] = std::to_string(result.study.bits);
    f[levels] = std::to_string(count_levels(s));
    f[trials_per_run] = std::to_string(sa::trials_per_run(s));
    f[runs] = std::to_string(summary.runs);
    f[exact_optimum_runs] = std::to_string(summary.exact_optimum);
    f[global_peak_runs] = std::to_string(summary.global_peak);
    f[second_peak_runs] =
        result.landmarks.has_second_hill ? std::to_string(summary.second_peak) : "";
    f[mean_best] = format("%.9g", summary.mean_best);
    f[median_run_us] = format("%.3f", summary.median_seconds * 1e6);
    f[total_run_seconds] = format("%.6f", summary.total_seconds);
    f[law] = spelling_of(s.law()).name;
    f[exact_share_low] = format("%.9g", exact.interval.low);
    f[exact_share_high] = format("%.9g", exact.interval.high);
    f[r99] = field(exact.expected, &time_to_solution::runs);
    f[tts99_trials] = field(exact.expected, &time_to_solution::trials);
    f[tts99_trials_low] = field(exact.shortest, &time_to_solution::trials);
    f[tts99_trials_high] = field(exact.longest, &time_to_solution::trials);
    f[tts99_seconds] = field(exact.expected, &time_to_solution::seconds);
    f[peak_r99] = field(peak.expected, &time_to_solution::runs);
    f[peak_tts99_trials] = field(peak.expected, &time_to_solution::trials);
    f[peak_tts99_seconds] = field(peak.expected, &time_to_solution::seconds);
    f[seed] = std::to_string(origin.seed);
    f[first_run] = std::to_string(origin.first_run);
    f[median_measured] = std::to_string(origin.medians_measured ? 1 : 0);
    f[version] = SA_DEMO_VERSION;
    // All the digits of the 64-bit significand, so that the sum reads back exactly.
    f[best_sum] = format("%.21Lg", summary.best_sum);
    f[acceptance] = spelling_of(s.acceptance()).name;
    f[landscape] = csv_text(landscape_label(result.study.landscape));
    return f;
}

// ---- Reading a row back, every field by the rules the command line applies to its values

// Three years: longer than any run takes, and short enough that the times of 10^7 runs add up
// finitely. Bounds by the run, so that parts within them merge into a whole within them.
constexpr double max_run_seconds = 1e8;

using text_row = row_of<std::string_view>;

csv_fault fault_in(std::size_t line, column c, fault refused) {
    return {line, column_names[static_cast<std::size_t>(c)], std::move(refused), ""};
}

csv_fault words_on(std::size_t line, column c, std::string words) {
    return {line, column_names[static_cast<std::size_t>(c)], std::nullopt, std::move(words)};
}

// A field of a list that must hold one value, read by the request's rules into `values`.
template <typename T>
std::optional<fault> read_one_value(study_field field, std::string_view text,
                                    study_request& request, const std::vector<T>& values) {
    const std::size_t before = values.size();
    if (std::optional<fault> wrong = read_field(field, text, request)) {
        return wrong;
    }
    if (values.size() != before + 1) {
        return fault{fault_kind::not_one_number, field, std::string(text), quoted_value(text), ""};
    }
    return std::nullopt;
}

// A landscape's label, "name" or "name over [a, b]", read as --landscape, --x-min and --x-max.
std::optional<fault> read_landscape_label(std::string_view label, study_request& request) {
    constexpr std::string_view over = " over [";
    const std::size_t interval = label.rfind(over);
    if (interval == std::string_view::npos || !label.ends_with(']')) {
        return read_field(study_field::landscape, label, request);
    }
    const std::string_view ends =
        label.substr(interval + over.size(), label.size() - interval - over.size() - 1);
    const std::size_t comma = ends.find(", ");
    if (std::optional<fault> wrong =
            read_field(study_field::landscape, label.substr(0, interval), request)) {
        return wrong;
    }
    if (std::optional<fault> wrong =
            read_field(study_field::x_min, ends.substr(0, comma), request)) {
        return wrong;
    }
    return comma == std::string_view::npos
               ? read_field(study_field::x_max, "", request)
               : read_field(study_field::x_max, ends.substr(comma + 2), request);
}

// The fields that say what was studied, read as the command line reads its options, the law
// first since it says what alpha and levels hold: the request they make, or the first fault.
expected<study_request, csv_fault> read_request(const text_row& f, std::size_t line) {
    study_request request;
    std::optional<csv_fault> wrong;
    const auto read = [&wrong, line](column c, const auto& reader) {
        if (wrong) {
            return;
        }
        if (const std::optional<fault> refused = reader()) {
            wrong = fault_in(line, c, *refused);
        }
    };
    const auto read_list = [&](column c, study_field field, const auto& values) {
        read(c, [&] { return read_one_value(field, f[c], request, values); });
    };
    const auto read_whole = [&](column c, study_field field) {
        read(c, [&] { return read_field(field, f[c], request); });
    };
    using enum column;
    read_list(law, study_field::laws, request.laws);
    if (!wrong && takes_alpha(request.laws.front())) {
        read_list(alpha, study_field::alpha, request.alpha);
    }
    if (!wrong && takes_levels(request.laws.front())) {
        read_list(levels, study_field::levels, request.levels);
    }
    read_list(t0, study_field::t0, request.t0);
    read_list(t_final, study_field::t_final, request.t_final);
    read_list(trials_per_level, study_field::trials, request.trials);
    read_list(bits, study_field::bits, request.bits);
    read_list(acceptance, study_field::acceptance, request.acceptances);
    read_whole(runs, study_field::runs);
    read_whole(seed, study_field::seed);
    read_whole(first_run, study_field::first_run);
    read(landscape, [&] { return read_landscape_label(f[landscape], request); });
    if (wrong) {
        return *wrong;
    }
    return request;
}

// The case a row's request plans, by the rules of a plan (T0 above the final T, a run of at
// most 10^9 trials) and of the run numbers.
expected<study_case, csv_fault> planned_case(const study_request& request, std::size_t line) {
    const expected<study_plan> plan = plan_study(request, request.seed.value_or(0));
    if (!plan) {
        const std::optional<study_field> refused = plan.error().field;
        const bool of_landscape = refused && names_of(*refused).part == field_part::landscape;
        return of_landscape ? fault_in(line, column::landscape, plan.error())
                            : csv_fault{line, "", plan.error(), ""};
    }
    if (std::optional<fault> wrong = run_range_fault(request)) {
        return csv_fault{line, "", *wrong, ""};
    }
    return plan->cases.front();
}

// A real from 0 to `most`; -0 reads as 0.
expected<double> read_non_negative(std::string_view text, double most, const std::string& limit) {
    const expected<double> value = read_one_real(text);
    if (!value) {
        return value.error();
    }
    if (*value < 0.0 || *value > most) {
        const std::string shown = shortest_double(*value);
        return fault{fault_kind::out_of_range, std::nullopt, shown, shown, limit};
    }
    return *value + 0.0;
}

// A count, a sum or a time: a number from 0 to `most`, or the field's fault.
template <typename T>
std::optional<csv_fault> read_amount(const text_row& f, std::size_t line, column c, double most,
                                     T& out) {
    const std::string limit = format("from 0 to %.9g", most);
    const auto value = [&] {
        if constexpr (std::is_integral_v<T>) {
            return read_whole_within(f[c], 0, static_cast<std::int64_t>(most), limit);
        } else {
            return read_non_negative(f[c], most, limit);
        }
    }();
    if (!value) {
        return fault_in(line, c, value.error());
    }
    out = static_cast<T>(*value);
    return std::nullopt;
}

// The counts, sums and times of a row's runs, each checked against the runs.
std::optional<csv_fault> read_summary(const text_row& f, std::size_t line, study_summary& s) {
    using enum column;
    const auto all = static_cast<double>(s.runs);
    if (auto wrong = read_amount(f, line, exact_optimum_runs, all, s.exact_optimum)) {
        return wrong;
    }
    if (auto wrong = read_amount(f, line, global_peak_runs, all, s.global_peak)) {
        return wrong;
    }
    // Empty for a landscape of one hill: no run is on a second.
    if (f[second_peak_runs].empty()) {
        s.second_peak = 0;
    } else if (auto wrong = read_amount(f, line, second_peak_runs, all, s.second_peak)) {
        return wrong;
    }
    // Every best value is a float, so their sum is within the runs times the largest float
    // either side of 0: a landscape may lie below 0.
    const expected<double> best_values = read_one_real(f[best_sum]);
    if (!best_values) {
        return fault_in(line, best_sum, best_values.error());
    }
    if (std::fabs(*best_values) > all * FLT_MAX) {
        const std::string shown = shortest_double(*best_values);
        return fault_in(line, best_sum,
                        {fault_kind::out_of_range, std::nullopt, shown, shown,
                         format("from %.9g to %.9g", -all * FLT_MAX, all * FLT_MAX)});
    }
    double median_us = 0.0;
    if (auto wrong = read_amount(f, line, median_run_us, max_run_seconds * 1e6, median_us)) {
        return wrong;
    }
    if (auto wrong =
            read_amount(f, line, total_run_seconds, all * max_run_seconds, s.total_seconds)) {
        return wrong;
    }
    // The sum read again, to all the digits it was written with.
    s.best_sum = std::strtold(std::string(f[best_sum]).c_str(), nullptr) + 0.0L;
    s.mean_best = mean_best_of(s.best_sum, s.runs);
    s.median_seconds = median_us / 1e6;
    return std::nullopt;
}

std::optional<csv_fault> read_origin(const text_row& f, std::size_t line,
                                     const study_request& request, study_origin& origin) {
    using enum column;
    const expected<std::int64_t> measured = read_whole_within(f[median_measured], 0, 1, "0 or 1");
    if (!measured) {
        return fault_in(line, median_measured, measured.error());
    }
    origin = {request.seed.value_or(0), request.first_run, *measured == 1};
    if (f[version] != SA_DEMO_VERSION) {
        return words_on(
            line, version,
            quoted_value(f[version]) + " is not this program's version, " SA_DEMO_VERSION);
    }
    return std::nullopt;
}

// The fields that follow from the rest of the row must be what the writer gives for it; the
// times to solution in seconds, which follow from times written rounded, must be there where
// those in trials are, and be times.
std::optional<csv_fault> check_derived(const text_row& f, std::size_t line,
                                       const study_csv_row& row) {
    const row_of<std::string> written = written_fields(row.result, row.origin);
    using enum column;
    std::vector<column> derived = {
        trials_per_run, mean_best,        exact_share_low,   exact_share_high, r99,
        tts99_trials,   tts99_trials_low, tts99_trials_high, peak_r99,         peak_tts99_trials};
    const sa::cooling& cooling = row.result.study.schedule.law();
    if (!takes_alpha(cooling)) {
        derived.push_back(alpha);
    }
    if (!takes_levels(cooling)) {
        derived.push_back(levels);
    }
    const auto differing =
        std::find_if(derived.begin(), derived.end(), [&](column c) { return f[c] != written[c]; });
    if (differing != derived.end()) {
        return words_on(line, *differing,
                        quoted_value(f[*differing]) +
                            " disagrees with the rest of the row, which gives " +
                            quoted_value(written[*differing]));
    }
    for (const column c : {tts99_seconds, peak_tts99_seconds}) {
        if (f[c].empty() != written[c].empty()) {
            return words_on(line, c,
                            quoted_value(f[c]) +
                                " disagrees with the rest of the row, which gives " +
                                (written[c].empty() ? "no time" : "a time"));
        }
        if (!f[c].empty()) {
            const expected<double> time =
                read_non_negative(f[c], std::numeric_limits<double>::max(), "at least 0");
            if (!time) {
                return fault_in(line, c, time.error());
            }
        }
    }
    return std::nullopt;
}

expected<study_csv_row, csv_fault> read_row(const text_row& f, std::size_t line) {
    const expected<study_request, csv_fault> request = read_request(f, line);
    if (!request) {
        return request.error();
    }
    const expected<study_case, csv_fault> study = planned_case(*request, line);
    if (!study) {
        return study.error();
    }
    study_csv_row row{{*study, {}, {}}, {}};
    row.result.summary.runs = request->runs;
    // What the row holds of its grid: whether there was a second hill to count on.
    row.result.landmarks.has_second_hill = !f[column::second_peak_runs].empty();
    if (std::optional<csv_fault> wrong = read_summary(f, line, row.result.summary)) {
        return *wrong;
    }
    if (std::optional<csv_fault> wrong = read_origin(f, line, *request, row.origin)) {
        return *wrong;
    }
    if (std::optional<csv_fault> wrong = check_derived(f, line, row)) {
        return *wrong;
    }
    return row;
}

// The fields of a line, split no further than the columns: a line of a million commas costs
// no more than one of thirty. The last column, the landscape, holds the rest of the line, to be
// read as one field of text.
std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (fields.size() + 1 < column_count) {
        const std::size_t end = line.find(',', start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos) {
            return fields;
        }
        start = end + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

expected<study_csv_row, csv_fault> read_line(std::string_view line, std::size_t number) {
    const std::vector<std::string_view> fields = fields_of(line);
    if (fields.size() != column_count) {
        return csv_fault{number, "", std::nullopt,
                         format("has %zu fields, not %zu", fields.size(), column_count)};
    }
    const std::optional<std::string> label = read_csv_text(fields.back());
    if (!label) {
        return fields.back().starts_with('"')
                   ? words_on(number, column::landscape,
                              quoted_value(fields.back()) +
                                  " is not text in quotes, each quote "
                                  "within written twice")
                   : csv_fault{number, "", std::nullopt,
                               format("has more than %zu fields", column_count)};
    }
    text_row row;
    for (std::size_t i = 0; i + 1 < column_count; ++i) {
        row[static_cast<column>(i)] = fields[i];
    }
    row[column::landscape] = *label;
    return read_row(row, number);
}

}  // namespace

std::string study_csv(const std::vector<case_result>& results, const study_origin& origin) {
    std::string text = heading();
    for (const case_result& result : results) {
        const row_of<std::string> fields = written_fields(result, origin);
        for (std::size_t i = 0; i < column_count; ++i) {
            text += i == 0 ? "" : ",";
            text += fields[static_cast<column>(i)];
        }
        text += '\n';
    }
    return text;
}

expected<std::vector<study_csv_row>, csv_fault> read_study_csv(std::string_view text) {
    const std::string head = heading();
    // What an editor or another system may have done to a part, said as such.
    if (text.starts_with("\xEF\xBB\xBF")) {
        return csv_fault{0, "", std::nullopt,
                         "begins with a byte-order mark, which sa_study's CSV files never hold"};
    }
    if (const std::size_t end = text.find('\n');
        end != std::string_view::npos && end > 0 && text[end - 1] == '\r') {
        return csv_fault{0, "", std::nullopt,
                         "ends its lines with CR LF, where sa_study's CSV files end them with LF "
                         "alone (dos2unix converts it)"};
    }
    if (!text.starts_with(head)) {
        return csv_fault{0, "", std::nullopt,
                         "is no CSV file of a study by sa_study " SA_DEMO_VERSION};
    }
    std::vector<study_csv_row> rows;
    std::size_t number = 1;
    for (std::size_t start = head.size(); start < text.size();) {
        ++number;
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return csv_fault{number, "", std::nullopt, "is cut short: no newline ends it"};
        }
        if (rows.size() == max_schedules) {
            return csv_fault{
                0, "", std::nullopt,
                format("holds more than %zu schedules, the most a sweep runs", max_schedules)};
        }
        const expected<study_csv_row, csv_fault> row =
            read_line(text.substr(start, end - start), number);
        if (!row) {
            return row.error();
        }
        rows.push_back(*row);
        start = end + 1;
    }
    if (rows.empty()) {
        return csv_fault{0, "", std::nullopt, "holds no schedule, only the heading"};
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
