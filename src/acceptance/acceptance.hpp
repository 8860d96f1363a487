#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "encoding/encoding.hpp"
#include "extended/extended.hpp"
#include "portable_math/portable_math.hpp"
#include "vocabulary/vocabulary.hpp"

// How a move that does not raise the value is decided: by the demo's rule, or by Metropolis's
// as textbooks state it, each a type that owns its name and its rule; the uniform draws the
// demo's rule takes; and exp(delta / T) as Metropolis's rule forms it. Computes only.

namespace sa {

// ---- Uniform draws: one of 10,000 equally spaced values in [a, b)

inline constexpr int uniform_grid_points = 10000;

// Which of those values one draw of the engine picks.
inline int uniform_point_of(std::uint32_t draw) {
    return static_cast<int>(draw % std::uint32_t{uniform_grid_points});
}

// The value of point `point` in [a, b), unrounded.
long double uniform_value(int point, double a, double b);

// A pseudo-random value in [a, b); a itself, without a draw, when a equals b.
long double random_uniform(random_engine& engine, double a, double b);

// ---- exp(delta / T), the same on every target

// portable_exp(y) for y from -708, and 0 below (and for NaN), where exp leaves the normal
// doubles: the values Metropolis's rule and the population's equilibrium have always taken,
// which their outputs keep to the byte.
inline double boltzmann_exp(double y) {
    return y >= -708.0 ? portable_exp(y) : 0.0;
}

// ---- The rules

// A better solution is always accepted.
inline bool improves(float delta) {
    return delta > 0.0F;
}

// delta / T, formed in extended precision and rounded to double: the exponent whose exp the
// demo's rule compares with its draw.
inline double acceptance_exponent(float delta, double temperature) {
    return static_cast<double>(extended(static_cast<long double>(delta) / temperature));
}

// A worse move (or an equal one) under the demo's rule, when exp(delta / T) exceeds the draw r.
bool accepts_worse(float delta, double temperature, double r);

// The demo's rule: r = random_uniform(0, 1), one of 10,000 values from 0 to 0.9999, and the move
// taken when exp(delta / T) > r. r = 0 comes once in 10,000 draws and takes any move whose
// exp(delta / T) is not 0, however cold the run: its runs do not settle into Boltzmann's
// distribution at low temperature, and a move of delta 0 is always taken.
struct demo_acceptance {
    static constexpr spelling spelled{"demo", "the demo's acceptance", "demo"};
    static constexpr int draws = 1;  // taken by a move that does not improve

    static double r_of(const std::uint32_t* drawn) {
        return static_cast<double>(uniform_value(uniform_point_of(drawn[0]), 0.0, 1.0));
    }
    // exp(delta / T), which the draw is held against.
    static double probability(float delta, double temperature) {
        return std::exp(acceptance_exponent(delta, temperature));
    }
    static bool accepts(float delta, double temperature, double r) {
        return accepts_worse(delta, temperature, r);
    }
    // The share of the 10,000 draws that take the move: 1 in 10,000 at least, r = 0, while
    // exp(delta / T) is not 0.
    static double chance(float delta, double temperature);
    bool operator==(const demo_acceptance&) const = default;
};

// Metropolis's rule: r = ((a >> 5) 2^26 + (b >> 6)) 2^-53 from two draws a and b, uniform on
// [0, 1) to 53 bits and never 1, and the move taken when exp(delta / T) > r, with delta / T
// in double and boltzmann_exp, the same on every target: a worse move is taken with probability
// exp(delta / T) to within 2^-53, and the runs' equilibrium is Boltzmann's distribution while
// every move's exp(delta / T) is 2^-53 or more: r = 0 takes a rarer move once in 2^53 tries.
struct continuous_acceptance {
    static constexpr spelling spelled{"continuous", "continuous acceptance", "cont."};
    static constexpr int draws = 2;

    static double r_of(const std::uint32_t* drawn) {
        const auto high = static_cast<double>(drawn[0] >> 5U);
        const auto low = static_cast<double>(drawn[1] >> 6U);
        return (high * 0x1p26 + low) * 0x1p-53;
    }
    static double probability(float delta, double temperature) {
        return boltzmann_exp(static_cast<double>(delta) / temperature);
    }
    static bool accepts(float delta, double temperature, double r) {
        return probability(delta, temperature) > r;
    }
    static double chance(float delta, double temperature) {
        return probability(delta, temperature);
    }
    bool operator==(const continuous_acceptance&) const = default;
};

// Every acceptance rule: a new one is an alternative here, with the members the others have.
using acceptance = std::variant<demo_acceptance, continuous_acceptance>;

const spelling& spelling_of(const acceptance& rule);

// The rule spelled `name`; none for any other text.
std::optional<acceptance> acceptance_named(std::string_view name);

// One of each rule, in the order above.
std::vector<acceptance> every_acceptance();

// exp(delta / T) as the rule forms it, for a move of change delta that does not improve.
double acceptance_probability(const acceptance& rule, float delta, double temperature);

// The chance that the rule takes a move of change delta at T, over its draws: 1 for a move
// that improves, which is taken without one.
double acceptance_chance(const acceptance& rule, float delta, double temperature);

// How a move that does not improve was decided: the rule's r, and whether it was taken.
struct decision {
    double r;
    bool accepted;
};

// The rule's decision on a move of change `delta` that does not improve, its draws taken from
// `engine`.
decision decide_worse(const acceptance& rule, float delta, double temperature,
                      random_engine& engine);

}  // namespace sa
