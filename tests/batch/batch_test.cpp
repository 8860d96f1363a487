#include "batch/batch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "objective/objective.hpp"
#include "support/schedules.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);
const sa::cooling_schedule demo_schedule = sa::demo_schedule(demo);

// Every tabulated point must be what the extended evaluation gives on the spot: its x, and f
// rounded and unrounded, on every grid the study accepts; the points are counted, once each, as
// two threads tabulate them. Optimised builds check them all, 33.5 million points; the slower
// instrumented builds the grids up to 16 bits.
#if defined(NDEBUG)
constexpr int widest_checked_grid = 24;
#else
constexpr int widest_checked_grid = 16;
#endif

TEST(Batch, TabulatedPointsAreTheEvaluatedOnes) {
    for (int bits = 2; bits <= widest_checked_grid; ++bits) {
        const sa::encoding enc = sa::encoding_with(bits, -2.0F, 2.0F);
        std::int64_t counted = 0;
        const sa::tabulated_space space(sa::demo_landscape(), enc, 2,
                                        [&counted](std::int64_t points) { counted += points; });
        ASSERT_EQ(counted, enc.d_max + 1) << bits << " bits";
        for (int d = 0; d <= enc.d_max; ++d) {
            const float x = sa::x_at(d, enc);
            const long double f = sa::objective(x);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(space.x_at(d)), std::bit_cast<std::uint32_t>(x))
                << bits << " bits, d " << d;
            ASSERT_EQ(space.value_at(d).rounded(), static_cast<float>(f))
                << bits << " bits, d " << d;
            ASSERT_EQ(space.value_at(d).unrounded(), f) << bits << " bits, d " << d;
        }
    }
}

// x in double must be x_at's float also on grids whose width is no float, where the table falls
// back on x_at for every point, and whose points lie near 0.
TEST(Batch, GridXIsXAtOnOtherIntervals) {
    struct interval {
        int bits;
        float x_min;
        float x_max;
    };
    for (const interval& grid : {interval{12, -1.7F, 2.3F}, interval{13, -1e-3F, 1e-3F},
                                 interval{11, 0.1F, 1e30F}, interval{14, -3.0F, 5.0F}}) {
        const sa::encoding enc = sa::encoding_with(grid.bits, grid.x_min, grid.x_max);
        const sa::tabulated_space space(sa::demo_landscape(), enc);
        for (int d = 0; d <= enc.d_max; ++d) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(space.x_at(d)),
                      std::bit_cast<std::uint32_t>(sa::x_at(d, enc)))
                << grid.x_min << " to " << grid.x_max << ", d " << d;
        }
    }
}

// The highest point of a range is the first of its points with the greatest f, for ranges
// within one block, across blocks and over the whole grid.
TEST(Batch, HighestInARangeIsTheFirstHighestPoint) {
    const sa::encoding enc = sa::encoding_with(15, -2.0F, 2.0F);
    const sa::tabulated_space space(sa::demo_landscape(), enc);
    sa::random_engine picks(15);
    for (int i = 0; i < 300; ++i) {
        int first = static_cast<int>(picks() % static_cast<std::uint32_t>(enc.d_max + 1));
        int last = i % 3 == 0
                       ? first + static_cast<int>(picks() % 100U)
                       : static_cast<int>(picks() % static_cast<std::uint32_t>(enc.d_max + 1));
        if (i == 0) {
            first = 0;
            last = enc.d_max;
        }
        std::tie(first, last) = std::minmax(first, std::min(last, enc.d_max));
        int expected = first;
        for (int d = first; d <= last; ++d) {
            expected =
                space.value_at(d).unrounded() > space.value_at(expected).unrounded() ? d : expected;
        }
        ASSERT_EQ(space.highest_in(first, last), expected) << first << " to " << last;
    }
}

// Each threshold is the least exponent whose exp exceeds its draw: exp of the next double
// below does not. So the search for it never needs to step down from log(r).
TEST(Batch, EveryThresholdIsTheLeastAcceptedExponent) {
    const sa::tabulated_space space(sa::demo_landscape(), demo);
    for (int point = 0; point < sa::uniform_grid_points; ++point) {
        const auto r = static_cast<double>(sa::uniform_value(point, 0.0, 1.0));
        const double y = space.threshold(point).least;
        ASSERT_GT(std::exp(y), r) << point;
        ASSERT_LE(std::exp(std::nextafter(y, -std::numeric_limits<double>::infinity())), r)
            << point;
    }
}

// The thresholds must accept exactly when exp(delta / T) > r, also for changes on either side
// of the boundary, where exp's rounding decides; so must the quotient in double, where it
// decides.
TEST(Batch, ThresholdsDecideAsExpDoes) {
    const sa::tabulated_space space(sa::demo_landscape(), demo);
    sa::random_engine picks(2026);
    std::uniform_real_distribution<double> log_temperature(-8.0, 3.0);
    int undecided = 0;
    for (int i = 0; i < 200'000; ++i) {
        const double temperature = std::pow(10.0, log_temperature(picks));
        const int point = sa::uniform_point_of(static_cast<std::uint32_t>(picks()));
        const auto r = static_cast<double>(sa::uniform_value(point, 0.0, 1.0));
        // A change near the boundary T log r, moved by a few representable steps.
        auto delta = static_cast<float>(temperature * std::log(std::max(r, 1e-300)));
        for (int steps = static_cast<int>(picks() % 7U); steps > 0; --steps) {
            delta = std::nextafter(delta, picks() % 2U == 0 ? 0.0F : -1.0F);
        }
        delta = std::min(delta, 0.0F);
        const bool accepted = sa::accepts_worse(delta, temperature, r);
        ASSERT_EQ(accepted, sa::reaches_threshold(delta, temperature, space.threshold(point)))
            << "delta " << delta << " T " << temperature << " r " << r;
        const std::optional<bool> quick =
            sa::quotient_decides(delta, temperature, space.threshold(point));
        ASSERT_TRUE(!quick || *quick == accepted) << "delta " << delta << " T " << temperature;
        undecided += quick ? 0 : 1;
    }
    // Changes whose quotient lands within a unit of its threshold, where only the extended
    // rule decides.
    for (int point = 1; point < sa::uniform_grid_points; ++point) {
        const auto r = static_cast<double>(sa::uniform_value(point, 0.0, 1.0));
        const sa::acceptance_threshold& threshold = space.threshold(point);
        const auto delta = static_cast<float>(threshold.least);
        const double temperature = static_cast<double>(delta) / threshold.least;
        const std::optional<bool> quick = sa::quotient_decides(delta, temperature, threshold);
        ASSERT_EQ(sa::reaches_threshold(delta, temperature, threshold),
                  sa::accepts_worse(delta, temperature, r))
            << point;
        ASSERT_TRUE(!quick || *quick == sa::accepts_worse(delta, temperature, r)) << point;
        undecided += quick ? 0 : 1;
    }
    EXPECT_GT(undecided, 1000);
}

// The change formed in double must round as the extended one does for every pair of
// neighbours on grids of many lengths: thousands of them lie exactly on a midpoint between
// floats, where only the extended formula decides.
TEST(Batch, TabulatedChangeIsTheRoundedChangeBetweenEveryPairOfNeighbours) {
    for (int bits = 2; bits <= 18; ++bits) {
        const sa::encoding enc = sa::encoding_with(bits, -2.0F, 2.0F);
        const sa::tabulated_space space(sa::demo_landscape(), enc);
        for (int d = 0; d <= enc.d_max; ++d) {
            const sa::split_value& f_old = space.value_at(d);
            for (int k = 0; k < bits; ++k) {
                const float f_new = space.value_at(sa::decoded_after_flip(d, bits, k)).rounded();
                ASSERT_EQ(sa::tabulated_change(f_new, f_old),
                          sa::rounded_change(f_new, f_old.unrounded()))
                    << bits << " bits, d " << d << ", k " << k;
            }
        }
    }
}

// Every float sum is the extended one rounded, over sums of every size and sign, those that
// cancel and those that round on a midpoint among them.
TEST(Batch, FloatSumIsTheExtendedSumRounded) {
    sa::random_engine draws(8);
    for (int i = 0; i < 1'000'000; ++i) {
        const auto fo = std::bit_cast<float>(static_cast<std::uint32_t>(draws()) & 0xBFFF'FFFFU);
        const float delta = i % 2 == 0
                                ? std::nextafter(-fo, 1.0F)
                                : fo * std::ldexp(1.0F, static_cast<int>(draws() % 60U) - 30);
        if (std::isfinite(fo) && std::isfinite(delta)) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(sa::float_sum(fo, delta)),
                      std::bit_cast<std::uint32_t>(sa::add_change(fo, delta)))
                << fo << " + " << delta;
        }
    }
}

TEST(Batch, RemainderByMultiplicationIsTheRemainder) {
    sa::random_engine draws(5);
    for (std::uint32_t divisor = 1; divisor <= 31; ++divisor) {
        const sa::remainder_by remainder(divisor);
        for (const std::uint32_t x : {0U, 1U, divisor - 1, divisor, 0xFFFF'FFFFU, 0xFFFF'FFFEU}) {
            ASSERT_EQ(remainder.of(x), sa::int_of_draw(x, static_cast<int>(divisor))) << x;
        }
        for (int i = 0; i < 100'000; ++i) {
            const auto x = static_cast<std::uint32_t>(draws());
            ASSERT_EQ(remainder.of(x), sa::int_of_draw(x, static_cast<int>(divisor))) << x;
        }
    }
}

// The twister's blocks must be std::mt19937's outputs in order, whatever the seed.
TEST(Batch, TwisterDrawsWhatTheEngineDraws) {
    for (const std::uint32_t seed : {0U, 1U, 5489U, 1765000000U, 0xFFFF'FFFFU}) {
        sa::twister twister(seed);
        sa::random_engine engine(seed);
        std::array<std::uint32_t, sa::twister::block_size> block{};
        for (int b = 0; b < 5; ++b) {
            twister.next_block(block);
            for (const std::uint32_t draw : block) {
                ASSERT_EQ(draw, engine()) << "seed " << seed << ", block " << b;
            }
        }
    }
}

// Runs in lockstep must start where random_solution starts and end exactly where anneal() ends,
// whole groups and the runs left over, on grids of several lengths, under hot and cold schedules,
// every cooling law and both acceptance rules.
TEST(Batch, LockstepRunsEndWhereSingleRunsEnd) {
    const sa::acceptance continuous = sa::continuous_acceptance{};
    struct lockstep_case {
        int bits;
        sa::cooling_schedule schedule;
        unsigned runs;
    };
    for (const lockstep_case& test :
         {lockstep_case{17, demo_schedule, 203},
          lockstep_case{17, schedule_of(1.0, 1e-5, sa::geometric{0.9}, 17), 41},
          lockstep_case{3, schedule_of(5.0, 0.01, sa::geometric{0.8}, 3), 6},
          lockstep_case{21, schedule_of(0.5, 1e-4, sa::geometric{0.95}, 10), 25},
          lockstep_case{17, schedule_of(1.0, 1e-5, sa::linear{200}, 8), 37},
          lockstep_case{12, schedule_of(3.0, 1e-4, sa::lundy_mees{120}, 6), 29},
          lockstep_case{17, schedule_of(1.0, 1e-5, sa::geometric{0.9}, 17, continuous), 41},
          lockstep_case{3, schedule_of(5.0, 0.01, sa::geometric{0.8}, 3, continuous), 6},
          lockstep_case{21, schedule_of(0.5, 1e-4, sa::geometric{0.95}, 10, continuous), 25},
          lockstep_case{12, schedule_of(3.0, 1e-4, sa::linear{120}, 6, continuous), 29}}) {
        const sa::encoding enc = sa::encoding_with(test.bits, -2.0F, 2.0F);
        const sa::tabulated_space space(sa::demo_landscape(), enc);
        std::vector<sa::lockstep_run> runs;
        std::vector<sa::solution> ends;
        for (unsigned seed = 1; seed <= test.runs; ++seed) {
            runs.push_back({seed});
            sa::random_engine engine(seed);
            sa::solution cur = sa::random_solution(sa::demo_landscape(), enc, engine);
            sa::anneal(sa::demo_landscape(), enc, test.schedule, cur, engine);
            ends.push_back(cur);
        }
        sa::anneal_lockstep(space, test.schedule, runs);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            sa::random_engine engine(static_cast<std::uint32_t>(i + 1));
            const sa::solution start = sa::random_solution(sa::demo_landscape(), enc, engine);
            ASSERT_EQ(runs[i].start_d, sa::decode_bits(start.bits))
                << test.bits << " bits, run " << i;
            ASSERT_EQ(runs[i].start_fo, start.fo) << test.bits << " bits, run " << i;
            ASSERT_EQ(runs[i].best_d, sa::decode_bits(ends[i].bits))
                << test.bits << " bits, run " << i;
            ASSERT_EQ(runs[i].best_fo, ends[i].fo) << test.bits << " bits, run " << i;
        }
    }
}

}  // namespace
