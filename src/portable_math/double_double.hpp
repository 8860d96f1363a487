#pragma once

// A value carried as the unevaluated sum of two doubles, for the steps where one double's 53
// bits are not enough, and the exact sums and products (Knuth's, Dekker's) it is built from:
// plain double operations, so exact on every target without a fused multiply-add. Internal to
// portable_math.

namespace sa::portable_math_detail {

struct double_double {
    double high;
    double low;  // below half a unit in high's last place once normalized
};

// a + b exactly, any order of magnitude.
inline double_double exact_sum(double a, double b) {
    const double sum = a + b;
    const double b_part = sum - a;
    const double a_part = sum - b_part;
    return {sum, (a - a_part) + (b - b_part)};
}

// a + b exactly when |a| >= |b| (or a is 0): high is a + b rounded.
inline double_double normalized(double a, double b) {
    const double sum = a + b;
    return {sum, b - (sum - a)};
}

// a as two halves of at most 26 significant bits each, whose products are exact.
inline double_double halves(double a) {
    constexpr double splitter = 0x1p27 + 1.0;
    const double scaled = splitter * a;
    const double high = scaled - (scaled - a);
    return {high, a - high};
}

// a b exactly, while neither a, b nor the product comes near overflow or underflow.
inline double_double exact_product(double a, double b) {
    const double product = a * b;
    const double_double x = halves(a);
    const double_double y = halves(b);
    const double error =
        (((x.high * y.high - product) + x.high * y.low) + x.low * y.high) + x.low * y.low;
    return {product, error};
}

inline double_double operator+(double_double a, double_double b) {
    const double_double sum = exact_sum(a.high, b.high);
    return normalized(sum.high, sum.low + (a.low + b.low));
}

inline double_double operator*(double_double a, double_double b) {
    const double_double product = exact_product(a.high, b.high);
    return normalized(product.high, product.low + (a.high * b.low + a.low * b.high));
}

}  // namespace sa::portable_math_detail
