#include "acceptance/acceptance.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace sa {

long double uniform_value(int point, double a, double b) {
    const long double width = extended(static_cast<long double>(b) - a);
    return extended(extended(extended(point * extended_ten_thousandth) * width) + a);
}

long double random_uniform(random_engine& engine, double a, double b) {
    if (a == b) {
        return a;
    }
    return uniform_value(uniform_point_of(static_cast<std::uint32_t>(engine())), a, b);
}

bool accepts_worse(float delta, double temperature, double r) {
    return std::exp(acceptance_exponent(delta, temperature)) > r;
}

const spelling& spelling_of(const acceptance& rule) {
    return spelling_of_choice(rule);
}

std::vector<acceptance> every_acceptance() {
    return every_choice<acceptance>();
}

std::optional<acceptance> acceptance_named(std::string_view name) {
    return choice_named<acceptance>(name);
}

double acceptance_probability(const acceptance& rule, float delta, double temperature) {
    return std::visit(
        [&](const auto& some_rule) { return some_rule.probability(delta, temperature); }, rule);
}

decision decide_worse(const acceptance& rule, float delta, double temperature,
                      random_engine& engine) {
    return std::visit(
        [&](const auto& some_rule) {
            using rule_type = std::remove_cvref_t<decltype(some_rule)>;
            std::array<std::uint32_t, rule_type::draws> drawn{};
            std::generate(drawn.begin(), drawn.end(),
                          [&engine] { return static_cast<std::uint32_t>(engine()); });
            const double r = rule_type::r_of(drawn.data());
            return decision{r, rule_type::accepts(delta, temperature, r)};
        },
        rule);
}

}  // namespace sa
