// f in double arithmetic, several points at a time, giving split(objective(x)) bit for bit.
//
// objective() rounds every step to the 80-bit format, which a processor without it (WebAssembly)
// does in software, and which on x86-64 has no vector instructions. Here every rounding of
// objective() is either reproduced exactly in double arithmetic or shown not to matter:
// - a sum or a product that objective() rounds to 64 bits is formed exactly as two doubles
//   (Knuth's and Dekker's error-free transformations) and rounded to 64 bits by rounding its
//   low part to a multiple of the 64-bit unit;
// - a sinc, which objective() rounds to single precision, is formed to within 2^-44 of itself
//   and kept only when every value within 2^-40 of it rounds to the same float.
// Each point keeps a flag that says whether every step held; a point where one did not, about
// one in ten thousand, is evaluated by objective() itself.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

#include "objective/objective.hpp"
#include "processor/processor.hpp"

// The compilers note that vectors wider than the target's registers would be passed differently
// with AVX; the four-point ones are compiled for AVX2 alone, into one function.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace sa {

namespace {

// A double split into two halves whose products with a float are exact: 26 and 27 bits.
// cppcheck takes the members for unused: they are read only in point_lanes, a template.
struct halves {
    // cppcheck-suppress unusedStructMember
    double high;
    // cppcheck-suppress unusedStructMember
    double low;
};

constexpr halves halves_of(double c) {
    constexpr double veltkamp = 0x1p27 + 1.0;
    const double gamma = veltkamp * c;
    const double high = gamma - (gamma - c);
    return {high, c - high};
}

using std::numbers::pi;
constexpr halves pi_halves = halves_of(pi);

// The true pi in three parts, the first two of 33 bits, so that k times either is exact for any
// whole k below 2^20 (Cody and Waite).
constexpr double pi_first = 0x1.921fb544p+1;
constexpr double pi_second = 0x1.0b4611a6p-33;
constexpr double pi_third = 0x1.3198a2e037073p-68;

// Taylor's coefficients of sin(r) / r in r^2: beyond r^19 the series adds less than 2^-51 of
// sin(r) for |r| <= pi / 2.
constexpr std::array<double, 10> sine_coefficients = {1.0,
                                                      -1.0 / 6,
                                                      1.0 / 120,
                                                      -1.0 / 5040,
                                                      1.0 / 362880,
                                                      -1.0 / 39916800,
                                                      1.0 / 6227020800.0,
                                                      -1.0 / 1307674368000.0,
                                                      1.0 / 355687428096000.0,
                                                      -1.0 / 121645100408832000.0};

// Adding and taking away 1.5 * 2^52 rounds a double below 2^51 to a whole number, ties to even.
constexpr double whole_number_shift = 0x1.8p52;

constexpr std::int64_t exponent_bits = 0x7FF0'0000'0000'0000;
constexpr std::int64_t sign_bit = std::numeric_limits<std::int64_t>::min();
// Below a float's last bit, a double has 29 more; a float midpoint has 1 then 28 zeros there.
constexpr std::int64_t below_float = 0x1FFF'FFFF;
constexpr std::int64_t float_midpoint = 0x1000'0000;

// Vectors of W lanes, one point to a lane. Comparisons give masks of all ones or all zeros.
template <std::size_t W>
struct vectors;

template <>
struct vectors<2> {
    using doubles [[gnu::vector_size(16)]] = double;
    using masks [[gnu::vector_size(16)]] = std::int64_t;
    using floats [[gnu::vector_size(8)]] = float;
    using float_masks [[gnu::vector_size(8)]] = std::int32_t;
};

template <>
struct vectors<4> {
    using doubles [[gnu::vector_size(32)]] = double;
    using masks [[gnu::vector_size(32)]] = std::int64_t;
    using floats [[gnu::vector_size(16)]] = float;
    using float_masks [[gnu::vector_size(16)]] = std::int32_t;
};

// W points at a time.
template <std::size_t W>
struct point_lanes {
    using doubles = typename vectors<W>::doubles;
    using masks = typename vectors<W>::masks;
    using floats = typename vectors<W>::floats;
    using float_masks = typename vectors<W>::float_masks;

    static masks bits_of(doubles v) { return std::bit_cast<masks>(v); }
    static doubles from_bits(masks v) { return std::bit_cast<doubles>(v); }
    static doubles all(double v) { return doubles{} + v; }
    static doubles abs(doubles v) { return from_bits(bits_of(v) & ~sign_bit); }

    // 2^e for a double in [2^e, 2^(e+1)), its fraction cleared.
    static doubles binade_of(doubles v) { return from_bits(bits_of(v) & exponent_bits); }

    static doubles in_single_precision(doubles v) {
        return __builtin_convertvector(__builtin_convertvector(v, floats), doubles);
    }

    static masks round_alike_to_float(doubles a, doubles b) {
        const float_masks same = std::bit_cast<float_masks>(__builtin_convertvector(a, floats)) ==
                                 std::bit_cast<float_masks>(__builtin_convertvector(b, floats));
        return __builtin_convertvector(same, masks);
    }

    // A value as two doubles: high is the value rounded to double, low the rest, exactly.
    struct pair {
        doubles high;
        doubles low;
    };

    static doubles in_double(pair value) { return value.high + value.low; }

    // a + b exactly (Knuth's TwoSum).
    static pair two_sum(doubles a, doubles b) {
        const doubles sum = a + b;
        const doubles a_part = sum - b;
        const doubles b_part = sum - a_part;
        return {sum, (a - a_part) + (b - b_part)};
    }

    // a * c exactly, for an a of at most 26 bits (Dekker: a * c.high is exact, and so is what
    // the rounded product lost).
    static pair exact_product(doubles a, double c, halves c_halves) {
        const doubles product = a * c;
        return {product, (a * c_halves.high - product) + a * c_halves.low};
    }

    // The low part of value rounded to a multiple of the 64-bit unit at value.high, so that
    // value.high + that part is value rounded to 64 bits: adding 1.5 * 2^(e - 11) rounds to that
    // unit, ties to even as the 64-bit significand is even. At a power of two, where the unit
    // halves below, or near zero, `held` is cleared.
    static doubles low_in_64_bits(pair value, masks& held) {
        const doubles binade = binade_of(value.high);
        held &= (binade != abs(value.high)) & (binade > 0x1p-900);
        const doubles shift = binade * 0x1.8p-11;
        return (value.low + shift) - shift;
    }

    // sin(r) for |r| <= pi / 2, within 2^-49 of itself: Taylor's series and the rounding of its
    // ten terms. The series in r^2 is summed by Estrin's scheme, pairs of terms beside the
    // powers r^4, r^8 and r^16, so that the sum waits on four products, not ten in a row.
    static doubles sine_near_zero(doubles r) {
        const auto& c = sine_coefficients;
        const doubles r2 = r * r;
        const doubles r4 = r2 * r2;
        const doubles r8 = r4 * r4;
        const doubles r16 = r8 * r8;
        const doubles low = (c[0] + c[1] * r2) + (c[2] + c[3] * r2) * r4;
        const doubles middle = (c[4] + c[5] * r2) + (c[6] + c[7] * r2) * r4;
        const doubles high = c[8] + c[9] * r2;
        return r * ((low + middle * r8) + high * r16);
    }

    // sinc(t) as objective() forms it: RN24(RN64(sin(y) / RN64(t pi))) with y = RN53(RN64(t pi))
    // and the C library's sin. Here y is found exactly, sin(y) as (-1)^k sin(y - k pi) for the
    // whole k nearest t, within 2^-49, and the quotient within 2^-44.8 of objective()'s if the C
    // library's sin is within 2^-45 of sin(y) (glibc and musl claim about 2^-52). At a whole t
    // other than 0, sin(y) is a rounding error, known to no relative accuracy: not held.
    static doubles sinc(doubles t, masks& held) {
        const masks zero = t == 0.0;
        const doubles shifted = t + whole_number_shift;
        const doubles k = shifted - whole_number_shift;
        masks ok = t != k;
        const pair product = exact_product(t, pi, pi_halves);
        const doubles y = product.high + low_in_64_bits(product, ok);
        const doubles reduced = ((y - k * pi_first) - k * pi_second) - k * pi_third;
        const masks sign_of_k = (bits_of(shifted) & 1) << 63;
        const doubles sine = from_bits(bits_of(sine_near_zero(reduced)) ^ sign_of_k);
        const doubles quotient = sine / y;
        ok &= round_alike_to_float(quotient * (1.0 - 0x1p-40), quotient * (1.0 + 0x1p-40));
        held &= ok | zero;
        return zero ? all(1.0) : in_single_precision(quotient);
    }

    // RN64(RN64(sinc * weight) + sum), exactly, as the weighted sums of objective() form it.
    // Rounding to 64 bits decides often here: a float times a weight whose binary digits
    // repeat, as 1.1's do, lands within 2^-60 of a midpoint between doubles one time in ten. A
    // weight of 1 leaves the sinc as it is, with no product to round.
    template <std::size_t term>
    static pair weighted_sum(doubles sinc, doubles sum, masks& held) {
        if constexpr (f_terms[term].weight == 1.0) {
            const pair value = two_sum(sinc, sum);
            return {value.high, low_in_64_bits(value, held)};
        } else {
            constexpr double weight = f_terms[term].weight;
            constexpr halves weight_halves = halves_of(weight);
            const pair product = exact_product(sinc, weight, weight_halves);
            const doubles product_low = low_in_64_bits(product, held);
            const pair high_sum = two_sum(product.high, sum);
            const pair low_sum = two_sum(high_sum.low, product_low);
            held &= low_sum.low == 0.0;  // so that the value is high_sum.high + low_sum.high
            const pair value = two_sum(high_sum.high, low_sum.high);
            return {value.high, low_in_64_bits(value, held)};
        }
    }

    // f from its terms' sincs: the partial sums rounded on to double, as objective() keeps
    // them, and the last sum as it is.
    template <std::size_t... term>
    static pair sum_of_terms(const std::array<doubles, f_terms.size()>& sincs, masks& held,
                             std::index_sequence<term...> /*all but the last*/) {
        doubles sum = all(f_base);
        ((sum = in_double(weighted_sum<term>(sincs[term], sum, held))), ...);
        constexpr std::size_t last = f_terms.size() - 1;
        return weighted_sum<last>(sincs[last], sum, held);
    }

    // split(f) of an f held as high + low, low a multiple of f's 64-bit unit: the float nearest
    // high unless high lies on a float midpoint, where low decides; the rest is then exact,
    // being at most 41 bits wide.
    static void split_into(pair f, float* rounded, double* rest) {
        const masks on_midpoint = (bits_of(f.high) & below_float) == float_midpoint;
        const doubles unit = binade_of(f.high) * 0x1p-52;
        const doubles toward_low = from_bits(bits_of(unit) | (bits_of(f.low) & sign_bit));
        const doubles nudge = (on_midpoint & (f.low != 0.0)) ? toward_low : all(0.0);
        const floats single = __builtin_convertvector(f.high + nudge, floats);
        const doubles parts = (f.high - __builtin_convertvector(single, doubles)) + f.low;
        std::memcpy(rounded, &single, sizeof single);
        std::memcpy(rest, &parts, sizeof parts);
    }

    // split(objective(x)) for W points, and whether each was held throughout. The arguments
    // factor * x + offset are exact in double for 2^-26 <= |x| <= 2.
    static void evaluate(const float* x_in, float* rounded, double* rest, std::int64_t* held_out) {
        floats x_floats;
        std::memcpy(&x_floats, x_in, sizeof x_floats);
        const doubles x = __builtin_convertvector(x_floats, doubles);
        masks held = (x == 0.0) | ((abs(x) >= 0x1p-26) & (abs(x) <= 2.0));
        std::array<doubles, f_terms.size()> sincs{};
        // Unrolled, so that the terms' long chains of operations overlap.
#pragma GCC unroll 4
        for (std::size_t i = 0; i < f_terms.size(); ++i) {
            const sinc_term& term = f_terms[i];
            sincs[i] = sinc(in_single_precision(x * term.factor + term.offset), held);
        }
        const pair f = sum_of_terms(sincs, held, std::make_index_sequence<f_terms.size() - 1>{});
        split_into(f, rounded, rest);
        std::memcpy(held_out, &held, sizeof held);
    }

    // Points whose evaluation did not hold, evaluated by objective().
    static void check(const float* x, float* rounded, double* rest,
                      const std::array<std::int64_t, W>& held, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (held[i] == 0) [[unlikely]] {
                const split_value value = split(objective(x[i]));
                rounded[i] = value.single;
                rest[i] = value.rest;
            }
        }
    }

    // Every point, W at a time; the last few are copied out with zeros after them, since a
    // copy in front of every group would cost a fifth of the time.
    static void split_all(std::span<const float> x, std::span<float> rounded,
                          std::span<double> rest) {
        std::array<std::int64_t, W> held{};
        std::size_t first = 0;
        for (; first + W <= x.size(); first += W) {
            evaluate(&x[first], &rounded[first], &rest[first], held.data());
            check(&x[first], &rounded[first], &rest[first], held, W);
        }
        if (first < x.size()) {
            const std::size_t count = x.size() - first;
            std::array<float, W> x_group{};
            std::array<float, W> rounded_group{};
            std::array<double, W> rest_group{};
            std::copy_n(&x[first], count, x_group.begin());
            evaluate(x_group.data(), rounded_group.data(), rest_group.data(), held.data());
            std::copy_n(rounded_group.begin(), count, &rounded[first]);
            std::copy_n(rest_group.begin(), count, &rest[first]);
            check(&x[first], &rounded[first], &rest[first], held, count);
        }
    }
};

}  // namespace

// Four points at a time with AVX2, the same operations twice as wide; and in WebAssembly, whose
// vectors hold four floats but two doubles, so that the floats stay in one vector.
void split_objective(std::span<const float> x, std::span<float> rounded, std::span<double> rest,
                     vector_width width) {
    if (width == vector_width::two_points) {
        point_lanes<2>::split_all(x, rounded, rest);
        return;
    }
    with_widest_vectors([&](auto points) { point_lanes<points()>::split_all(x, rounded, rest); });
}

}  // namespace sa
