#include "request/request.hpp"

#include <algorithm>
#include <cmath>

#include "formula/formula.hpp"

// The rules a request's values meet, each field read by them in the order its values are
// typed, so that the first fault is the one reported.

namespace sa {

namespace {

fault missing(study_field field) {
    return {fault_kind::missing_value, field, "", "", ""};
}

// The range a whole number must lie in, as a message states it.
struct whole_limits {
    std::int64_t low;
    std::int64_t high;
    const char* shown;
};

std::optional<fault> outside(std::int64_t value, std::int64_t low, std::int64_t high,
                             const std::string& limit) {
    if (value >= low && value <= high) {
        return std::nullopt;
    }
    const std::string typed = std::to_string(value);
    return fault{fault_kind::out_of_range, std::nullopt, typed, typed, limit};
}

fault not_one(std::string_view text) {
    return {fault_kind::not_one_number, std::nullopt, std::string(text), quoted_value(text), ""};
}

expected<std::int64_t> read_one_whole(study_field field, std::string_view text,
                                      const whole_limits& limits, const number_style& style) {
    const expected<std::int64_t> value =
        read_whole_within(text, limits.low, limits.high, limits.shown, style);
    return value ? value : expected<std::int64_t>(in_field(value.error(), field));
}

template <typename T>
std::optional<fault> read_whole(study_field field, std::string_view text,
                                const whole_limits& limits, const number_style& style, T& out) {
    const expected<std::int64_t> value = read_one_whole(field, text, limits, style);
    if (!value) {
        return value.error();
    }
    out = static_cast<T>(*value);
    return std::nullopt;
}

// What a whole value of a list must be: its fault, or none. The fault names no field.
using whole_rule = std::optional<fault> (*)(std::int64_t value);

std::optional<fault> read_whole_list(study_field field, std::string_view text, whole_rule rule,
                                     const number_style& style, std::vector<int>& out) {
    const expected<std::vector<std::int64_t>> values = read_wholes(text, style);
    if (!values) {
        return in_field(values.error(), field);
    }
    for (const std::int64_t value : *values) {
        if (std::optional<fault> wrong = rule(value)) {
            return in_field(*wrong, field);
        }
        out.push_back(static_cast<int>(value));
    }
    return std::nullopt;
}

std::optional<fault> bits_fault(std::int64_t bits) {
    return outside(bits, min_bits, max_bits, "from 2 to 24");
}

// What a real value must be, as typed and once rounded to single precision: its fault, or
// none. The fault names no field.
using real_rule = std::optional<fault> (*)(double value);

// A list of reals, rounded to single precision as sa_demo's own constants are.
std::optional<fault> read_real_list(study_field field, std::string_view text, real_rule rule,
                                    const number_style& style, std::vector<float>& out) {
    const expected<std::vector<double>> values = read_reals(text, style);
    if (!values) {
        return in_field(values.error(), field);
    }
    for (const double value : *values) {
        std::optional<fault> wrong = magnitude_fault(value);
        if (!wrong) {
            wrong = rule(value);
        }
        if (wrong) {
            return in_field(*wrong, field);
        }
        out.push_back(static_cast<float>(value));
    }
    return std::nullopt;
}

// "auto" or "auto:CHI" asks for a temperature chosen where the acceptance is CHI.
bool asks_automatic(std::string_view text) {
    return text == "auto" || text.starts_with("auto:");
}

expected<double> automatic_acceptance(study_field field, std::string_view text, double fallback,
                                      const number_style& style) {
    if (text == "auto") {
        return fallback;
    }
    const std::string_view chi = text.substr(5);
    const expected<std::vector<double>> values = read_reals(chi, style);
    if (!values || values->size() != 1 || values->front() <= 0.0 || values->front() >= 1.0) {
        return fault{fault_kind::bad_chi, field, std::string(chi), quoted_value(chi), ""};
    }
    return values->front();
}

std::optional<fault> read_temperatures(study_field field, std::string_view text, double fallback,
                                       const number_style& style, std::optional<double>& chi,
                                       std::vector<float>& out) {
    if (!asks_automatic(text)) {
        const std::vector<std::string_view> items = list_items(text, style);
        if (std::any_of(items.begin(), items.end(), asks_automatic)) {
            return fault{fault_kind::automatic_in_list, field, std::string(text),
                         quoted_value(text), ""};
        }
        return read_real_list(field, text, temperature_fault, style, out);
    }
    const expected<double> acceptance = automatic_acceptance(field, text, fallback, style);
    if (!acceptance) {
        return acceptance.error();
    }
    chi = *acceptance;
    return std::nullopt;
}

// One of a closed choice's alternatives, a cooling law or an acceptance rule: how each is
// found by its name, all of them, and the fault of a name of none.
template <typename Choice>
struct choice_reader {
    std::optional<Choice> (*named)(std::string_view name);
    std::vector<Choice> (*every)();
    fault_kind unknown;
};

// A list of names of a choice's alternatives, in the order typed.
template <typename Choice>
std::optional<fault> read_names(study_field field, std::string_view text, const number_style& style,
                                const choice_reader<Choice>& choice, std::vector<Choice>& out) {
    if (text.empty()) {
        return missing(field);
    }
    for (const std::string_view name : list_items(text, style)) {
        if (name.empty()) {
            return fault{fault_kind::empty_item, field, std::string(text), quoted_value(text), ""};
        }
        const std::optional<Choice> chosen = choice.named(name);
        if (!chosen) {
            return fault{choice.unknown, field, std::string(name), quoted_value(name),
                         listed(spelled(choice.every(), &spelling::name), " or ")};
        }
        out.push_back(*chosen);
    }
    return std::nullopt;
}

constexpr choice_reader<cooling> laws_reader{law_named, every_law, fault_kind::unknown_law};
constexpr choice_reader<acceptance> acceptances_reader{acceptance_named, every_acceptance,
                                                       fault_kind::unknown_acceptance};

std::optional<fault> read_target(std::string_view text, const number_style& style,
                                 std::optional<double>& out) {
    if (text.empty()) {
        return missing(study_field::target);
    }
    const expected<std::vector<double>> values = read_reals(text, style);
    if (!values || values->size() != 1 || values->front() < 0.0 || values->front() > 100.0) {
        return fault{fault_kind::out_of_range, study_field::target, std::string(text),
                     quoted_value(text), "a percentage from 0 to 100"};
    }
    // -0 is 0, which a report prints without its sign.
    out = values->front() + 0.0;
    return std::nullopt;
}

// The landscape a field names, on the interval searched so far.
std::optional<fault> read_landscape(std::string_view text, sa::landscape& out) {
    if (text.empty()) {
        return missing(study_field::landscape);
    }
    const expected<landscape, formula_error> named = landscape_named(text);
    if (!named) {
        const formula_error& wrong = named.error();
        return fault{fault_kind::bad_formula,   study_field::landscape, std::string(text),
                     quoted_value(wrong.found), name_of(wrong.what),    wrong.position};
    }
    out = named->on(out.problem());
    return std::nullopt;
}

// One end of the interval searched, rounded to single precision as the demo's ends are. The
// ends are held against each other once all fields are read.
std::optional<fault> read_interval_end(study_field field, std::string_view text,
                                       const number_style& style, sa::landscape& out) {
    const expected<double> value = read_one_real(text, style);
    if (!value) {
        return in_field(value.error(), field);
    }
    if (std::fabs(*value) > max_interval_end) {
        return fault{fault_kind::too_large, field, std::string(text), shortest_double(*value),
                     "1e6 in size"};
    }
    // -0 is 0, which a file writes without its sign.
    const float end = static_cast<float>(*value) + 0.0F;
    problem_params interval = out.problem();
    (field == study_field::x_min ? interval.x_min : interval.x_max) = end;
    out = out.on(interval);
    return std::nullopt;
}

constexpr whole_limits seed_limits{0, UINT32_MAX, "from 0 to 4294967295"};
constexpr whole_limits runs_limits{1, max_runs, "from 1 to 10^7"};
constexpr whole_limits first_run_limits{0, static_cast<std::int64_t>(max_run_number),
                                        "from 0 to 4294967295"};
constexpr whole_limits jobs_limits{1, max_jobs, "from 1 to 4096"};

}  // namespace

expected<std::int64_t> read_whole_within(std::string_view text, std::int64_t low, std::int64_t high,
                                         const std::string& limit, const number_style& style) {
    const expected<std::vector<std::int64_t>> values = read_wholes(text, style);
    if (!values) {
        return values.error();
    }
    if (values->size() != 1) {
        return not_one(text);
    }
    if (std::optional<fault> wrong = outside(values->front(), low, high, limit)) {
        return *wrong;
    }
    return values->front();
}

expected<double> read_one_real(std::string_view text, const number_style& style) {
    const expected<std::vector<double>> values = read_reals(text, style);
    if (!values) {
        return values.error();
    }
    if (values->size() != 1) {
        return not_one(text);
    }
    return values->front();
}

std::optional<fault> read_field(study_field field, std::string_view text, study_request& request,
                                const number_style& style) {
    switch (field) {
        case study_field::seed: {
            std::uint32_t seed = 0;
            std::optional<fault> wrong = read_whole(field, text, seed_limits, style, seed);
            request.seed = seed;
            return wrong;
        }
        case study_field::runs:
            return read_whole(field, text, runs_limits, style, request.runs);
        case study_field::first_run:
            return read_whole(field, text, first_run_limits, style, request.first_run);
        case study_field::jobs:
            return read_whole(field, text, jobs_limits, style, request.jobs);
        case study_field::t0:
            return read_temperatures(field, text, initial_acceptance, style, request.auto_t0,
                                     request.t0);
        case study_field::alpha:
            return read_real_list(field, text, geometric::parameter_fault, style, request.alpha);
        case study_field::t_final:
            return read_temperatures(field, text, final_acceptance, style, request.auto_t_final,
                                     request.t_final);
        case study_field::trials:
            return read_whole_list(field, text, trials_fault, style, request.trials);
        case study_field::bits:
            return read_whole_list(field, text, bits_fault, style, request.bits);
        case study_field::laws:
            return read_names(field, text, style, laws_reader, request.laws);
        case study_field::levels:
            return read_whole_list(field, text, fixed_levels::parameter_fault, style,
                                   request.levels);
        case study_field::target:
            return read_target(text, style, request.target);
        case study_field::acceptance:
            return read_names(field, text, style, acceptances_reader, request.acceptances);
        case study_field::landscape:
            return read_landscape(text, request.landscape);
        case study_field::x_min:
        case study_field::x_max:
            return read_interval_end(field, text, style, request.landscape);
    }
    return std::nullopt;
}

}  // namespace sa
