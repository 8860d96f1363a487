#include "batch/batch.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "objective/objective.hpp"

namespace {

const sa::encoding demo = sa::encoding_for(sa::demo_problem);
const sa::schedule_params demo_schedule = sa::demo_schedule(demo);

// Every tabulated value must be f as evaluated on the spot, rounded and unrounded; some
// points' values round to double on a midpoint between floats. The points are counted as
// they are tabulated.
TEST(Batch, TabulatedValuesAreTheEvaluatedOnes) {
    std::int64_t counted = 0;
    const sa::tabulated_space space(demo, [&counted](std::int64_t points) { counted += points; });
    EXPECT_EQ(counted, demo.d_max + 1);
    for (int d = 0; d <= demo.d_max; ++d) {
        const long double f = sa::objective(sa::x_at(d, demo));
        ASSERT_EQ(space.value_at(d).rounded(), static_cast<float>(f)) << d;
        ASSERT_EQ(space.value_at(d).unrounded(), f) << d;
    }
}

// Each threshold is the least exponent whose exp exceeds its draw: exp of the next double
// below does not. So the search for it never needs to step down from log(r).
TEST(Batch, EveryThresholdIsTheLeastAcceptedExponent) {
    const sa::tabulated_space space(demo);
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
    const sa::tabulated_space space(demo);
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
        const sa::tabulated_space space(enc);
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

// Runs in lockstep must end exactly where anneal() ends them: whole groups and the runs left
// over, on grids of several lengths, under hot and cold schedules and every cooling law.
TEST(Batch, LockstepRunsEndWhereSingleRunsEnd) {
    struct lockstep_case {
        int bits;
        sa::schedule_params schedule;
        unsigned runs;
    };
    for (const lockstep_case& test : {lockstep_case{17, demo_schedule, 203},
                                      lockstep_case{17, {1.0, 1e-5, sa::geometric{0.9}, 17}, 41},
                                      lockstep_case{3, {5.0, 0.01, sa::geometric{0.8}, 3}, 6},
                                      lockstep_case{20, {0.5, 1e-4, sa::geometric{0.95}, 10}, 25},
                                      lockstep_case{17, {1.0, 1e-5, sa::linear{200}, 8}, 37},
                                      lockstep_case{12, {3.0, 1e-4, sa::lundy_mees{120}, 6}, 29}}) {
        const sa::encoding enc = sa::encoding_with(test.bits, -2.0F, 2.0F);
        const sa::tabulated_space space(enc);
        std::vector<sa::lockstep_run> runs;
        std::vector<sa::solution> ends;
        for (unsigned seed = 1; seed <= test.runs; ++seed) {
            runs.push_back(sa::lockstep_run::from_random_start(enc, sa::random_engine(seed)));
            sa::random_engine engine(seed);
            sa::solution cur = sa::random_solution(enc, engine);
            sa::anneal(enc, test.schedule, cur, engine);
            ends.push_back(cur);
        }
        sa::anneal_lockstep(space, test.schedule, runs);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            ASSERT_EQ(runs[i].best_d, sa::decode_bits(ends[i].bits))
                << test.bits << " bits, run " << i;
            ASSERT_EQ(runs[i].best_fo, ends[i].fo) << test.bits << " bits, run " << i;
        }
    }
}

}  // namespace
