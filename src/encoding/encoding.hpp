#pragma once

#include <cstdint>
#include <random>
#include <vector>

// A candidate x in [x_min, x_max] is encoded as a vector of binary digits, element 0 the
// most significant. The digits spell a whole number d, which maps linearly onto x.

namespace sa {

// Binary digits, each 0 or 1.
using bit_vector = std::vector<std::int32_t>;

// The one source of random numbers: every draw of a session or a run comes from one engine,
// in program order, so a seed determines everything.
using random_engine = std::mt19937;

// The interval searched and the resolution wanted there.
struct problem_params {
    float x_min;
    float x_max;
    float precision;

    bool operator==(const problem_params&) const = default;
};

// The function's interval [-2, 2], resolved to 0.00006.
inline constexpr problem_params demo_problem{-2.0F, 2.0F, 0.00006F};

// A grid of 2^n_bits points over [x_min, x_max].
struct encoding {
    int n_bits;
    int d_max;  // the largest decoded value, 2^n_bits - 1
    float x_min;
    float x_max;
};

// Number of digits needed to resolve x to `precision` over [x_min, x_max].
int num_bits(float precision, float x_min, float x_max);

// The encoding of a problem: as many digits as its precision needs.
encoding encoding_for(const problem_params& problem);

// The encoding of [x_min, x_max] with n_bits digits (at most 30).
encoding encoding_with(int n_bits, float x_min, float x_max);

// Element k becomes 0 if it was non-zero, else 1.
inline void flip_bit(bit_vector& v, int k) {
    auto& digit = v[static_cast<std::size_t>(k)];
    digit = digit != 0 ? 0 : 1;
}

// The bit of a decoded value that digit k spells: digit 0 is the most significant.
inline std::uint32_t digit_bit(int n_bits, int k) {
    return 1U << static_cast<unsigned>(n_bits - 1 - k);
}

// The decoded value once digit k of a vector that decodes to d is flipped: cheaper than
// decoding the whole vector again.
inline int decoded_after_flip(int d, int n_bits, int k) {
    return static_cast<int>(static_cast<std::uint32_t>(d) ^ digit_bit(n_bits, k));
}

// Every digit of v drawn at random, in ascending position order.
void fill_random_bits(bit_vector& v, random_engine& engine);

// The integer the digits spell; an element other than exactly 1 counts as 0.
int decode_bits(const bit_vector& v);

// The x that a decoded value d stands for, unrounded; callers round it to single precision.
long double decoded_to_x(int d, const encoding& enc);

long double bits_to_x(const bit_vector& v, const encoding& enc);

// x of decoded value d, rounded to single precision as every stored x is.
inline float x_at(int d, const encoding& enc) {
    return static_cast<float>(decoded_to_x(d, enc));
}

// The integer in 0..m-1 that one draw of the engine stands for: its remainder modulo m.
// The engine's values fit 32 bits, where the remainder is cheaper to form.
inline int int_of_draw(std::uint32_t draw, int m) {
    return static_cast<int>(draw % static_cast<std::uint32_t>(m));
}

// A pseudo-random integer in 0..m-1; 0 without a draw when m is 0.
inline int random_int(random_engine& engine, int m) {
    return m == 0 ? 0 : int_of_draw(static_cast<std::uint32_t>(engine()), m);
}

}  // namespace sa
