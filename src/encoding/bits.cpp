#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "encoding/encoding.hpp"

int num_bits(float precision, float x_min, float x_max) {
    // The precision is subtracted inside the first logarithm, as the encoding has always done.
    const long double span_log = logl(static_cast<long double>(x_max) - x_min - precision);
    const long double precision_log = logl(static_cast<long double>(precision));
    const auto bits = static_cast<float>((span_log - precision_log) / logl(2.0L));
    return static_cast<int>(std::ceil(static_cast<double>(bits)));
}

std::int32_t* alloc_bits(int n) {
    // Sized in size_t: 4 * n in int would overflow for large n.
    const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(std::int32_t);
    auto* v = static_cast<std::int32_t*>(std::malloc(bytes));
    if (v == nullptr) {
        std::printf("Falta memoria para alocar o vetor de ponteiros");
        std::exit(1);
    }
    return v;
}

void free_bits(std::int32_t* v) {
    std::free(v);
}

void clear_bits(std::int32_t* v, int n) {
    for (int i = 0; i < n; ++i) {
        v[i] = 0;
    }
}

void copy_bits(const std::int32_t* source, std::int32_t* destination, int n) {
    for (int i = 0; i < n; ++i) {
        destination[i] = source[i];
    }
}

void flip_bit(std::int32_t* v, int k) {
    v[k] = v[k] != 0 ? 0 : 1;
}

void fill_random_bits(std::int32_t* v, int n) {
    for (int i = 0; i < n; ++i) {
        v[i] = random_int(2);
    }
}

int decode_bits(const std::int32_t* v, int n) {
    int d = 0;
    for (int i = 0; i < n; ++i) {
        if (v[i] == 1) {
            d += bit_weight(n, i);
        }
    }
    return d;
}

long double bits_to_x(const std::int32_t* v, int d_max, int n, float x_min, float x_max) {
    return decoded_to_x(decode_bits(v, n), d_max, x_min, x_max);
}

int random_int(int m) {
    if (m == 0) {
        return 0;
    }
    return static_cast<int>(lrand48() % m);
}
