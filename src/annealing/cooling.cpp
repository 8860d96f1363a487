#include <algorithm>
#include <cmath>

#include "annealing/annealing.hpp"

namespace sa {

double cool(double temperature, double alpha) {
    return static_cast<double>(extended(static_cast<long double>(temperature) * alpha));
}

double geometric::next(const cooling_step& step, const temperature_span& /*span*/) const {
    return cool(step.temperature, alpha);
}

double geometric::estimated_levels(const temperature_span& span) const {
    return std::ceil(std::log(span.t_final / span.t0) / std::log(alpha));
}

std::int64_t geometric::exact_levels(const temperature_span& span) const {
    cooling_step step{0, span.t0};
    while (runs(step, span)) {
        step = {step.level + 1, next(step, span)};
    }
    return step.level;
}

// Each temperature follows from the level number rather than from the previous level, so
// rounding errors do not pile up over the levels.
double linear::next(const cooling_step& step, const temperature_span& span) const {
    const std::int64_t level = step.level + 1;
    return span.t0 - static_cast<double>(level) * (span.t0 - span.t_final) / levels;
}

// beta brings the temperature from T0 to the final T in exactly L steps. Over many levels
// the roundings add up and could take it below the final T, where the law never goes.
double lundy_mees::next(const cooling_step& step, const temperature_span& span) const {
    const double beta = (span.t0 - span.t_final) / (levels * span.t0 * span.t_final);
    return std::max(span.t_final, step.temperature / (1.0 + beta * step.temperature));
}

const law_spelling& spelling_of(const cooling& law) {
    return std::visit([](const auto& some_law) -> const law_spelling& { return some_law.spelling; },
                      law);
}

std::vector<cooling> every_law() {
    return [&]<std::size_t... i>(std::index_sequence<i...>) {
        return std::vector<cooling>{cooling(std::in_place_index<i>)...};
    }
    (std::make_index_sequence<std::variant_size_v<cooling>>{});
}

std::optional<cooling> law_named(std::string_view name) {
    const std::vector<cooling> laws = every_law();
    const auto named = std::find_if(laws.begin(), laws.end(), [name](const cooling& law) {
        return spelling_of(law).name == name;
    });
    return named == laws.end() ? std::nullopt : std::optional<cooling>(*named);
}

}  // namespace sa
