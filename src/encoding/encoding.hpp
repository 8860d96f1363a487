#pragma once

#include <cstdint>

// A candidate x in [x_min, x_max] is encoded as a vector of binary digits: a plain
// heap array of n signed 32-bit integers, element 0 the most significant digit.
// The vector carries no length; every operation takes it beside the vector.

// Number of digits needed to resolve x to `precision` over [x_min, x_max].
int num_bits(float precision, float x_min, float x_max);

// A new vector of n elements with undefined contents. On failure prints a message
// and ends the program with exit status 1.
std::int32_t* alloc_bits(int n);
void free_bits(std::int32_t* v);

void clear_bits(std::int32_t* v, int n);
void copy_bits(const std::int32_t* source, std::int32_t* destination, int n);
void flip_bit(std::int32_t* v, int k);
void fill_random_bits(std::int32_t* v, int n);

// The integer the digits spell; an element other than exactly 1 counts as 0.
int decode_bits(const std::int32_t* v, int n);

// What position k adds to the decoded value when it holds 1: 2^(n-1-k), exact for n <= 31.
inline int bit_weight(int n, int k) {
    return 1 << (n - 1 - k);
}

// The decoded value of v once flip_bit(v, k) is applied, given its decoded value d now.
inline int decoded_after_flip(const std::int32_t* v, int n, int k, int d) {
    const int weight = bit_weight(n, k);
    // flip_bit turns 0 into 1 and anything else into 0; only an exact 1 counts.
    return d + (v[k] == 0 ? weight : 0) - (v[k] == 1 ? weight : 0);
}

// The x a decoded value d stands for, linear between x_min (d = 0) and x_max (d = d_max),
// in extended precision and in exactly this order; callers round it to single precision.
inline long double decoded_to_x(int d, int d_max, float x_min, float x_max) {
    return x_min - (static_cast<long double>(x_min) - x_max) * d / d_max;
}
long double bits_to_x(const std::int32_t* v, int d_max, int n, float x_min, float x_max);

// A pseudo-random integer in 0..m-1, drawn from lrand48(); 0 without a draw when m is 0.
int random_int(int m);
