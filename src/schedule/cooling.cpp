// The cooling laws: each one's next temperature, its parameter's limits, its level count
// (estimated, and exact), its spellings, and the geometric law's step as the 80-bit format
// takes it on any target.

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "extended/extended.hpp"
#include "schedule/schedule.hpp"
#include "text/text.hpp"

namespace sa {

double cool(double temperature, double alpha) {
#if LDBL_MANT_DIG == 64
    return static_cast<double>(extended(static_cast<long double>(temperature) * alpha));
#else
    return cool_in_double(temperature, alpha);
#endif
}

namespace {

// a * b exactly: the double nearest it, and the rest (Dekker). Each factor is split into
// halves of 26 and 27 bits, whose products are exact.
struct exact_product {
    double nearest;
    double rest;
};

exact_product product_of(double a, double b) {
    const auto halves = [](double c) {
        constexpr double veltkamp = 0x1p27 + 1.0;
        const double gamma = veltkamp * c;
        const double high = gamma - (gamma - c);
        return std::pair{high, c - high};
    };
    const auto [a_high, a_low] = halves(a);
    const auto [b_high, b_low] = halves(b);
    const double nearest = a * b;
    const double rest =
        (((a_high * b_high - nearest) + a_high * b_low) + a_low * b_high) + a_low * b_low;
    return {nearest, rest};
}

}  // namespace

// Rounding the exact product to 64 bits and then to double gives the nearest double, but where
// the first rounding lands on a midpoint between doubles: a rest within half a 64-bit unit of
// half the spacing rounds up to it, and the tie then goes to the even neighbour, away from an odd
// nearest double. An exact tie never has an odd nearest.
double cool_in_double(double temperature, double alpha) {
    const exact_product p = product_of(temperature, alpha);
    const bool odd = (std::bit_cast<std::uint64_t>(p.nearest) & 1U) != 0;
    if (!odd || p.rest == 0.0) {
        return p.nearest;
    }
    const double toward = p.rest > 0.0 ? INFINITY : 0.0;
    const double neighbour = std::nextafter(p.nearest, toward);
    const double half = std::fabs(neighbour - p.nearest) / 2.0;
    const bool on_midpoint = std::fabs(p.rest) >= half - half * 0x1p-11;
    return on_midpoint ? neighbour : p.nearest;
}

std::optional<fault> geometric::parameter_fault(double alpha) {
    const std::string shown = shortest_double(alpha);
    if (alpha <= 0.0 || alpha >= 1.0) {
        return fault{fault_kind::not_a_factor, std::nullopt, shown, shown, ""};
    }
    const auto rounded = static_cast<float>(alpha);
    if (rounded == 1.0F) {
        return fault{fault_kind::rounds_to_one, std::nullopt, shown, shown,
                     shortest(std::nextafter(1.0F, 0.0F))};
    }
    if (rounded == 0.0F) {
        return fault{fault_kind::rounds_to_zero, std::nullopt, shown, shown, ""};
    }
    return std::nullopt;
}

std::optional<fault> fixed_levels::parameter_fault(std::int64_t levels) {
    if (levels >= 1 && levels <= max_trials_per_run) {
        return std::nullopt;
    }
    const std::string typed = std::to_string(levels);
    return fault{fault_kind::out_of_range, std::nullopt, typed, typed, "from 1 to 10^9"};
}

double geometric::next(const cooling_step& step, const temperature_span& /*span*/) const {
    return cool(step.temperature, alpha);
}

double geometric::estimated_levels(const temperature_span& span) const {
    return std::ceil(std::log(span.t_final / span.t0) / std::log(alpha));
}

// Each level's temperature is rounded to 64 bits and then to double, off by under 1.0002 * 2^-53
// of itself, so that after L levels the logarithm of T has drifted by under L times that: L
// 2^-52 / |ln alpha| levels, with room to spare for a walk of up to twice the estimate. The
// ceiling, and the estimate's own logarithms and quotient, move it by under three more.
double geometric::estimate_error(const temperature_span& span) const {
    return 3.0 + (std::fabs(estimated_levels(span)) + 3.0) * 0x1p-51 / std::fabs(std::log(alpha));
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

const spelling& spelling_of(const cooling& law) {
    return spelling_of_choice(law);
}

std::vector<cooling> every_law() {
    return every_choice<cooling>();
}

std::optional<cooling> law_named(std::string_view name) {
    return choice_named<cooling>(name);
}

std::optional<fault> law_fault(const cooling& law) {
    return std::visit(
        [](const auto& some_law) -> std::optional<fault> {
            std::optional<fault> wrong = some_law.own_fault();
            return wrong ? std::optional(in_field(*wrong, some_law.parameter)) : std::nullopt;
        },
        law);
}

std::int64_t levels_between(const cooling& law, const temperature_span& span) {
    return std::visit([&span](const auto& some_law) { return some_law.exact_levels(span); }, law);
}

namespace {

// A law with a cooling factor; a law with a number of levels.
template <typename Law>
concept with_alpha = requires(const Law& law) {
    law.alpha;
};
template <typename Law>
concept with_levels = requires(const Law& law) {
    law.levels;
};

template <typename Value>
using law_type = std::remove_cvref_t<Value>;

}  // namespace

bool takes_alpha(const cooling& law) {
    return std::visit([](const auto& some_law) { return with_alpha<law_type<decltype(some_law)>>; },
                      law);
}

bool takes_levels(const cooling& law) {
    return std::visit(
        [](const auto& some_law) { return with_levels<law_type<decltype(some_law)>>; }, law);
}

double alpha_of(const cooling& law) {
    return std::visit(
        [](const auto& some_law) {
            if constexpr (with_alpha<law_type<decltype(some_law)>>) {
                return some_law.alpha;
            } else {
                return 0.0;
            }
        },
        law);
}

cooling law_with(cooling law, double alpha, int levels) {
    std::visit(
        [alpha, levels](auto& some_law) {
            if constexpr (with_alpha<law_type<decltype(some_law)>>) {
                some_law.alpha = alpha;
            }
            if constexpr (with_levels<law_type<decltype(some_law)>>) {
                some_law.levels = levels;
            }
        },
        law);
    return law;
}

std::vector<cooling> laws_taking(bool (*takes)(const cooling&), bool taking) {
    std::vector<cooling> laws = every_law();
    std::erase_if(laws, [takes, taking](const cooling& law) { return takes(law) != taking; });
    return laws;
}

}  // namespace sa
