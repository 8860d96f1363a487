#include "objective/objective.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "encoding/encoding.hpp"

namespace {

long double distance(long double a, long double b) {
    return std::fabs(a - b);
}

float grid_x(int d) {
    return sa::x_at(d, sa::encoding_for(sa::demo_problem));
}

TEST(Objective, SincIsOneAtZeroAndVanishesAtIntegers) {
    EXPECT_EQ(sa::sinc(0.0F), 1.0F);
    for (int t = -16; t <= 16; ++t) {
        if (t != 0) {
            EXPECT_LT(std::fabs(sa::sinc(static_cast<float>(t))), 2e-16F) << "t = " << t;
        }
    }
    EXPECT_FLOAT_EQ(sa::sinc(0.5F), static_cast<float>(2.0 / 3.141592653589793));
}

TEST(Objective, KnownValues) {
    // Only one sinc term contributes besides the constant at these points.
    EXPECT_LE(distance(sa::objective(0.0F), 1.4L), 1e-15L);
    EXPECT_EQ(static_cast<float>(sa::objective(0.0F)), 1.39999998F);
    EXPECT_LE(distance(sa::objective(-0.5F), 1.5L), 1e-15L);
    EXPECT_LE(distance(sa::objective(-2.0F), 0.4L), 1e-7L);
    EXPECT_LE(distance(sa::objective(2.0F), 0.4L), 1e-7L);
}

// Where the highest point lies is the landscape's business, tested with the study.
TEST(Objective, ExhaustiveScanFindsTheHighestAndLowestValues) {
    long double best_value = sa::objective(grid_x(0));
    long double lowest = best_value;
    for (int d = 1; d <= 131071; ++d) {
        const long double value = sa::objective(grid_x(d));
        best_value = std::fmax(best_value, value);
        lowest = std::fmin(lowest, value);
    }
    EXPECT_LE(distance(best_value, 1.501564L), 5e-7L);
    EXPECT_LE(distance(lowest, 0.034L), 1e-3L);

    // The second peak is shared by two neighbours and stands above its surroundings.
    const long double second = sa::objective(grid_x(65048));
    EXPECT_LE(distance(second, 1.409462L), 5e-7L);
    EXPECT_LE(distance(sa::objective(grid_x(65049)), 1.409462L), 5e-7L);
    EXPECT_GT(second, sa::objective(grid_x(65047)));
    EXPECT_GT(sa::objective(grid_x(65049)), sa::objective(grid_x(65050)));
}

// split_objective must give split(objective(x)) bit for bit at every point of every grid the
// study accepts, taken two points at a time (the table, tested with the batch engine, takes the
// processor's widest). Optimised builds check all 33.5 million points; the slower instrumented
// builds the grids up to 16 bits.
#if defined(NDEBUG)
constexpr int widest_checked_grid = 24;
#else
constexpr int widest_checked_grid = 16;
#endif

TEST(Objective, SplitInDoubleIsTheExtendedValueSplit) {
    for (int bits = 2; bits <= widest_checked_grid; ++bits) {
        const sa::encoding enc = sa::encoding_with(bits, -2.0F, 2.0F);
        const auto points = static_cast<std::size_t>(enc.d_max) + 1;
        std::vector<float> x(points);
        for (std::size_t d = 0; d < points; ++d) {
            x[d] = sa::x_at(static_cast<int>(d), enc);
        }
        std::vector<float> rounded(points);
        std::vector<double> rest(points);
        // All but the last point, so that the last pair is one point short.
        sa::split_objective(std::span(x).first(points - 1), rounded, rest,
                            sa::vector_width::two_points);
        sa::split_objective(std::span(x).last(1), std::span(rounded).last(1),
                            std::span(rest).last(1), sa::vector_width::two_points);
        for (std::size_t d = 0; d < points; ++d) {
            const sa::split_value expected = sa::split(sa::objective(x[d]));
            ASSERT_EQ(std::bit_cast<std::uint32_t>(rounded[d]),
                      std::bit_cast<std::uint32_t>(expected.single))
                << bits << " bits, d " << d;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(rest[d]),
                      std::bit_cast<std::uint64_t>(expected.rest))
                << bits << " bits, d " << d;
        }
    }
}

}  // namespace
