#pragma once

#include <array>
#include <span>

#include "extended/extended.hpp"

// The function the program maximises on [-2, 2]:
//   f(x) = 0.4 + sinc(4x) + 1.1 sinc(4x + 2) + 0.8 sinc(6x - 2) + 0.7 sinc(6x - 4).

namespace sa {

// One of f's terms: weight * sinc(factor * x + offset).
struct sinc_term {
    float factor;
    float offset;
    double weight;
};

// f(x) = f_base + the sum of f_terms, added in this order. Every evaluation of f reads them
// here: the extended one, the one in double, and the smooth one that finds f's hills.
inline constexpr double f_base = 0.4;
inline constexpr std::array<sinc_term, 4> f_terms{{
    {4.0F, 0.0F, 1.0},
    {4.0F, 2.0F, 1.1},
    {6.0F, -2.0F, 0.8},
    {6.0F, -4.0F, 0.7},
}};

// Normalised sinc, sin(pi t) / (pi t), with sinc(0) = 1.
float sinc(float t);

// f(x), returned unrounded in extended precision: callers round it where they store it.
long double objective(float x);

// f held exactly in two parts: its rounding to single precision, which is the value a solution
// carries, and the rest, so that rounded() + rest is f. Twelve bytes, where f as a long double
// takes sixteen.
struct split_value {
    float single;
    double rest;

    float rounded() const { return single; }
    long double unrounded() const { return extended(static_cast<long double>(single) + rest); }
};

// f in its two parts: f - rounded(f) is exact in double, being a few bits under a float's last.
split_value split(long double f);

// f as a smooth function, in double throughout, and its slope: their shape says where f's hills
// are. And a bound on |f''|.
double smooth_f(double x);
double slope_of_f(double x);
double curvature_bound_of_f();

// How many points split_objective takes at a time: by default as many as suit the processor's
// vectors, four with AVX2 or in WebAssembly; two on any processor, which the tests compare too.
enum class vector_width { widest, two_points };

// split(objective(x[i])) for every i, into rounded[i] and rest[i]: the same values, bit for bit,
// computed in double arithmetic several points at a time.
void split_objective(std::span<const float> x, std::span<float> rounded, std::span<double> rest,
                     vector_width width = vector_width::widest);

}  // namespace sa
