#include "annealing/annealing.hpp"

namespace sa {

solution random_solution(const landscape& f, const encoding& enc, random_engine& engine) {
    solution fresh{bit_vector(static_cast<std::size_t>(enc.n_bits))};
    fill_random_bits(fresh.bits, engine);
    fresh.fo = static_cast<float>(f.value(x_at(decode_bits(fresh.bits), enc)));
    return fresh;
}

}  // namespace sa
