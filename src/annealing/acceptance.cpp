#include <cmath>

#include "annealing/annealing.hpp"

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

solution random_solution(const landscape& f, const encoding& enc, random_engine& engine) {
    solution fresh{bit_vector(static_cast<std::size_t>(enc.n_bits))};
    fill_random_bits(fresh.bits, engine);
    fresh.fo = static_cast<float>(f.value(x_at(decode_bits(fresh.bits), enc)));
    return fresh;
}

bool accepts_worse(float delta, double temperature, double r) {
    return std::exp(acceptance_exponent(delta, temperature)) > r;
}

}  // namespace sa
