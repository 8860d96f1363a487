#include "encoding/encoding.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);

sa::bit_vector digits_of(int d) {
    sa::bit_vector v(static_cast<std::size_t>(demo.n_bits));
    for (int i = 0; i < demo.n_bits; ++i) {
        v[static_cast<std::size_t>(i)] = (d >> (demo.n_bits - 1 - i)) & 1;
    }
    return v;
}

float x_of(const sa::bit_vector& v) {
    return static_cast<float>(sa::bits_to_x(v, demo));
}

TEST(Encoding, TheDemoProblemNeedsSeventeenDigits) {
    EXPECT_EQ(sa::num_bits(0.00006F, -2.0F, 2.0F), 17);
    EXPECT_EQ(demo.n_bits, 17);
    EXPECT_EQ(demo.d_max, 131071);
}

TEST(Encoding, DecodesMostSignificantDigitFirst) {
    EXPECT_EQ(sa::decode_bits(sa::bit_vector(17, 0)), 0);
    EXPECT_EQ(sa::decode_bits(sa::bit_vector(17, 1)), 131071);
    sa::bit_vector v(17, 0);
    v[0] = 1;
    EXPECT_EQ(sa::decode_bits(v), 65536);
    // Anything but exactly 1 counts as 0.
    EXPECT_EQ(sa::decode_bits(sa::bit_vector(17, 2)), 0);
}

TEST(Encoding, DecodingAndFlippingAgreeWithThePositionalSumForEveryVector) {
    for (int value = 0; value <= demo.d_max; ++value) {
        const sa::bit_vector v = digits_of(value);
        double sum = 0.0;
        for (int i = 0; i < demo.n_bits; ++i) {
            if (v[static_cast<std::size_t>(i)] == 1) {
                sum = std::pow(2.0, demo.n_bits - 1 - i) + sum;
            }
        }
        ASSERT_EQ(sa::decode_bits(v), static_cast<int>(sum));
        const int k = value % demo.n_bits;
        sa::bit_vector flipped = v;
        sa::flip_bit(flipped, k);
        ASSERT_EQ(sa::decoded_after_flip(value, demo.n_bits, k), sa::decode_bits(flipped));
        sa::flip_bit(flipped, k);
        ASSERT_EQ(flipped, v);
    }
}

TEST(Encoding, EndsOfTheGridMapToTheBounds) {
    EXPECT_EQ(x_of(sa::bit_vector(17, 0)), -2.0F);
    EXPECT_EQ(x_of(sa::bit_vector(17, 1)), 2.0F);
}

TEST(Encoding, RandomIntDrawsOnceUnlessTheRangeIsEmpty) {
    sa::random_engine engine(12345);
    sa::random_engine untouched = engine;
    EXPECT_EQ(sa::random_int(engine, 0), 0);
    EXPECT_EQ(engine, untouched);
    for (int i = 0; i < 1000; ++i) {
        const int position = sa::random_int(engine, 17);
        ASSERT_TRUE(position >= 0 && position < 17) << position;
        untouched.discard(1);
        ASSERT_EQ(engine, untouched);
    }
}

}  // namespace
