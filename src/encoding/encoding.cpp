#include "encoding/encoding.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "extended/extended.hpp"

namespace sa {

int num_bits(float precision, float x_min, float x_max) {
    // The precision is subtracted inside the first logarithm; the count of 17 digits
    // for the demo's problem depends on it.
    const long double span =
        extended(extended(static_cast<long double>(x_max) - x_min) - precision);
    const long double span_log = extended(std::log(span));
    const long double precision_log = extended(std::log(static_cast<long double>(precision)));
    const auto bits =
        static_cast<float>(extended(extended(span_log - precision_log) / extended(std::log(2.0L))));
    return static_cast<int>(std::ceil(static_cast<double>(bits)));
}

encoding encoding_for(const problem_params& problem) {
    return encoding_with(num_bits(problem.precision, problem.x_min, problem.x_max), problem.x_min,
                         problem.x_max);
}

encoding encoding_with(int n_bits, float x_min, float x_max) {
    return {n_bits, (1 << n_bits) - 1, x_min, x_max};
}

void fill_random_bits(bit_vector& v, random_engine& engine) {
    std::generate(v.begin(), v.end(), [&engine] { return random_int(engine, 2); });
}

int decode_bits(const bit_vector& v) {
    return std::accumulate(v.begin(), v.end(), 0, [](int d, std::int32_t digit) {
        return 2 * d + static_cast<int>(digit == 1);
    });
}

long double decoded_to_x(int d, const encoding& enc) {
    // In exactly this order: x_min - (x_min - x_max) * d / d_max.
    const long double width = extended(static_cast<long double>(enc.x_min) - enc.x_max);
    return extended(enc.x_min - extended(extended(width * d) / enc.d_max));
}

long double bits_to_x(const bit_vector& v, const encoding& enc) {
    return decoded_to_x(decode_bits(v), enc);
}

}  // namespace sa
