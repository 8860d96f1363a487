#include <string>

#include "plan/plan.hpp"

// A case and its runs handed on as the request's own fields, each read back by the request's
// rules and planned again: a front end that checked a request never rebuilds the case from loose
// numbers, and a line it did not make is refused as any field would be.

namespace sa {

namespace {

// "t-final=0.1": the field's option without its dashes, and its value.
std::string item(study_field field, const std::string& value) {
    return std::string(names_of(field).option).substr(2) + "=" + value;
}

// The field and value of one item; none for an item of no field.
std::optional<std::pair<study_field, std::string_view>> field_and_value(std::string_view item) {
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<study_field> field =
        field_of_option("--" + std::string(item.substr(0, equals)));
    if (!field) {
        return std::nullopt;
    }
    return std::pair{*field, item.substr(equals + 1)};
}

}  // namespace

std::string case_text(const planned_case& planned) {
    const cooling_schedule& s = planned.study.schedule;
    using enum study_field;
    std::vector<std::string> items = {
        item(seed, std::to_string(planned.runs.seed)),
        item(runs, std::to_string(planned.runs.count)),
        item(first_run, std::to_string(planned.runs.first)),
        item(t0, shortest(s.t0())),
        item(t_final, shortest(s.t_final())),
        item(trials, std::to_string(s.trials_per_level())),
        item(bits, std::to_string(planned.study.bits)),
        item(laws, spelling_of(s.law()).name),
    };
    if (takes_alpha(s.law())) {
        items.push_back(item(alpha, shortest(alpha_of(s.law()))));
    }
    if (takes_levels(s.law())) {
        items.push_back(item(levels, std::to_string(levels_between(s.law(), s.span()))));
    }
    items.push_back(item(study_field::acceptance, spelling_of(s.acceptance()).name));
    const sa::landscape& f = planned.study.landscape;
    if (!f.on_demo_interval()) {
        items.push_back(item(x_min, shortest(f.problem().x_min)));
        items.push_back(item(x_max, shortest(f.problem().x_max)));
    }
    // Last, since a formula's spaces are its own: it takes the rest of the line.
    if (f.name() != demo_landscape().name()) {
        items.push_back(item(study_field::landscape, f.name()));
    }
    std::string text;
    for (const std::string& each : items) {
        text += text.empty() ? each : " " + each;
    }
    return text;
}

std::optional<planned_case> read_case_text(std::string_view text) {
    study_request request;
    const std::string landscape_key = item(study_field::landscape, "");
    for (std::size_t start = 0; start <= text.size();) {
        const bool rest = text.substr(start).starts_with(landscape_key);
        const std::size_t end = rest ? text.size() : std::min(text.find(' ', start), text.size());
        const auto field = field_and_value(text.substr(start, end - start));
        if (!field || read_field(field->first, field->second, request)) {
            return std::nullopt;
        }
        start = end + 1;
    }
    if (!request.seed || run_range_fault(request)) {
        return std::nullopt;
    }
    const expected<study_plan> plan = plan_study(request, *request.seed);
    if (!plan || plan->cases.size() != 1) {
        return std::nullopt;
    }
    return planned_case{plan->cases.front(), {*request.seed, request.first_run, request.runs}};
}

}  // namespace sa
