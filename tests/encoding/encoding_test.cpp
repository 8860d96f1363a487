#include "encoding/encoding.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "support/process.hpp"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer cannot start under a lowered address-space limit; it is told instead to
// refuse large requests the way malloc does.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
constexpr bool limit_address_space = false;
#else
constexpr bool limit_address_space = true;
#endif

namespace {

constexpr int n = 17;
constexpr int d_max = 131071;
using bits = std::array<std::int32_t, n>;

bits filled(std::int32_t value) {
    bits v{};
    v.fill(value);
    return v;
}

float x_of(const bits& v) {
    return static_cast<float>(bits_to_x(v.data(), d_max, n, -2.0F, 2.0F));
}

TEST(Encoding, SeventeenBitsResolveTheWantedPrecision) {
    EXPECT_EQ(num_bits(0.00006F, -2.0F, 2.0F), 17);
}

TEST(Encoding, DecodesMostSignificantDigitFirst) {
    bits v = filled(0);
    EXPECT_EQ(decode_bits(v.data(), n), 0);
    v[0] = 1;
    EXPECT_EQ(decode_bits(v.data(), n), 65536);
    v = filled(0);
    v[n - 1] = 1;
    EXPECT_EQ(decode_bits(v.data(), n), 1);
    EXPECT_EQ(decode_bits(filled(1).data(), n), d_max);
    // Anything but exactly 1 counts as 0.
    EXPECT_EQ(decode_bits(filled(2).data(), n), 0);
}

TEST(Encoding, DecodingMatchesThePositionalSumForEveryVector) {
    for (int value = 0; value <= d_max; ++value) {
        bits v{};
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            v[static_cast<std::size_t>(i)] = (value >> (n - 1 - i)) & 1;
            if (v[static_cast<std::size_t>(i)] == 1) {
                sum = std::pow(2.0, n - 1 - i) + sum;
            }
        }
        ASSERT_EQ(decode_bits(v.data(), n), static_cast<int>(sum));
    }
}

TEST(Encoding, EndsOfTheGridMapToTheBounds) {
    EXPECT_EQ(x_of(filled(0)), -2.0F);
    EXPECT_EQ(x_of(filled(1)), 2.0F);
    const bits peak = {0, 1, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1};
    EXPECT_EQ(decode_bits(peak.data(), n), 48917);
    EXPECT_FLOAT_EQ(x_of(peak), -0.50716019F);
}

TEST(Encoding, FlippingTwiceRestoresTheVector) {
    const bits original = {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 1, 0, 1};
    for (int k = 0; k < n; ++k) {
        bits v = original;
        flip_bit(v.data(), k);
        EXPECT_NE(v, original);
        flip_bit(v.data(), k);
        EXPECT_EQ(v, original);
    }
}

TEST(Encoding, CopyAndClearTouchEveryPosition) {
    bits v = filled(1);
    bits w = filled(0);
    copy_bits(v.data(), w.data(), n);
    EXPECT_EQ(w, v);
    clear_bits(w.data(), n);
    EXPECT_EQ(w, filled(0));
}

TEST(Encoding, RandomIntOfZeroDrawsNothing) {
    srand48(12345);
    const long expected = lrand48();
    srand48(12345);
    EXPECT_EQ(random_int(0), 0);
    EXPECT_EQ(lrand48(), expected);
}

TEST(Encoding, RandomIntStaysInRangeAndFollowsTheSeed) {
    srand48(7);
    bits first{};
    fill_random_bits(first.data(), n);
    srand48(7);
    bits second{};
    fill_random_bits(second.data(), n);
    EXPECT_EQ(first, second);
    for (int i = 0; i < 1000; ++i) {
        const int k = random_int(n);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, n);
    }
}

TEST(Encoding, FailedAllocationPrintsAndExitsWithOne) {
    test_support::child_process child([] {
        // Under a 1 GiB limit a request for 8 GiB cannot be met.
        if (limit_address_space) {
            const rlimit limit{1UL << 30, 1UL << 30};
            setrlimit(RLIMIT_AS, &limit);
        }
        alloc_bits(INT_MAX);
        return 0;
    });
    const auto result = child.communicate("", std::chrono::seconds(30));
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.output, "Falta memoria para alocar o vetor de ponteiros");
}

}  // namespace
