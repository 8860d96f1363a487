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

double demo_acceptance::chance(float delta, double temperature) {
    // The draws that take a move are those below exp(delta / T): the first points of the grid.
    int low = 0;
    int high = uniform_grid_points;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const auto r = static_cast<double>(uniform_value(middle, 0.0, 1.0));
        if (accepts(delta, temperature, r)) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return static_cast<double>(low) / uniform_grid_points;
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

double acceptance_chance(const acceptance& rule, float delta, double temperature) {
    if (improves(delta)) {
        return 1.0;
    }
    return std::visit([&](const auto& some_rule) { return some_rule.chance(delta, temperature); },
                      rule);
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
