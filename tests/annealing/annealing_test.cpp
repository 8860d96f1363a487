#include "annealing/annealing.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "encoding/encoding.hpp"
#include "objective/objective.hpp"
#include "reference_run.hpp"
#include "support/stdio_capture.hpp"

namespace {

constexpr int n = 17;
constexpr int d_max = 131071;
constexpr double alpha = 0.97F;
constexpr double t0 = 100.0F;
constexpr double t_final = 0.1F;
using bits = std::array<std::int32_t, n>;

// The grid point of the global maximum, decoded value 48917.
constexpr bits peak = {0, 1, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 1};

void seed_both(unsigned seed) {
    std::srand(seed);
    srand48(seed);
}

struct run {
    bits cur;
    float fo;
    annealing_outcome outcome;
};

run anneal_random_start(unsigned seed, int trials_per_level = 8) {
    seed_both(seed);
    run r{};
    fill_random_bits(r.cur.data(), n);
    r.fo = static_cast<float>(
        objective(static_cast<float>(bits_to_x(r.cur.data(), d_max, n, -2.0F, 2.0F))));
    r.outcome =
        anneal(n, d_max, r.cur.data(), r.fo, alpha, t0, t_final, trials_per_level, -2.0F, 2.0F);
    return r;
}

float x_of(const bits& v) {
    return static_cast<float>(bits_to_x(v.data(), d_max, n, -2.0F, 2.0F));
}

TEST(Annealing, CountsTrialsFromTheScheduleAlone) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        EXPECT_EQ(anneal_random_start(seed).outcome.analysed, 1816);
    }
    EXPECT_EQ(anneal_random_start(1, 0).outcome.analysed, 0);
}

TEST(Annealing, LeavesTheReportedBestInPlace) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const run r = anneal_random_start(seed);
        EXPECT_EQ(r.fo, r.outcome.best_fo);
        EXPECT_EQ(x_of(r.cur), r.outcome.best_x);
    }
}

TEST(Annealing, BestNeverFallsBelowTheStart) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        seed_both(seed);
        bits cur{};
        fill_random_bits(cur.data(), n);
        float fo = 0.5F;  // a low starting value the run can only raise
        const auto outcome = anneal(n, d_max, cur.data(), fo, alpha, t0, t_final, 8, -2.0F, 2.0F);
        EXPECT_GE(outcome.best_fo, 0.5F);
    }
}

TEST(Annealing, SameSeedSameRun) {
    const run first = anneal_random_start(42);
    const run second = anneal_random_start(42);
    EXPECT_EQ(first.cur, second.cur);
    EXPECT_EQ(first.outcome.best_fo, second.outcome.best_fo);
    EXPECT_EQ(first.outcome.best_x, second.outcome.best_x);
    EXPECT_EQ(first.outcome.start_x, second.outcome.start_x);
}

TEST(Annealing, ColdRunFromThePeakRejectsEveryMove) {
    // Near zero temperature every worsening move is rejected and must be undone exactly.
    seed_both(3);
    bits cur = peak;
    const float start_fo = static_cast<float>(objective(x_of(peak)));
    float fo = start_fo;
    const auto outcome = anneal(n, d_max, cur.data(), fo, 0.5, 1e-30, 1e-31, 50, -2.0F, 2.0F);
    EXPECT_EQ(cur, peak);
    EXPECT_EQ(fo, start_fo);
    EXPECT_EQ(outcome.best_fo, start_fo);
    EXPECT_EQ(outcome.best_x, outcome.start_x);
    EXPECT_EQ(outcome.analysed, 200);
}

TEST(Annealing, ZeroChangeIsAlwaysAccepted) {
    // Every draw of random_uniform(0, 1) lies below exp(0) = 1.
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        std::srand(seed);
        const long double r = random_uniform(0.0, 1.0);
        EXPECT_GE(r, 0.0L);
        EXPECT_LE(r, 0.9999L);
    }
    EXPECT_EQ(random_uniform(0.25, 0.25), 0.25L);
}

TEST(Annealing, PrintsStartAndReport) {
    seed_both(5);
    bits cur = peak;
    float fo = 1.5F;
    const auto session = test_support::with_stdio_rest("\nrest", [&] {
        simulated_annealing(n, d_max, cur.data(), fo, 0.5, 1e-30, 1e-31, 50, -2.0F, 2.0F);
    });
    EXPECT_EQ(session.unread_input, "rest");
    EXPECT_EQ(session.output,
              "Solucao inicial: fo corrente = 1.500000   valor de y = -0.507160 \n"
              "********* Melhor Solucao obtida pelo SA ************** \n"
              "valor de x = -0.507160 \n"
              "funcao objetivo = 1.500000 \n"
              "Num. max. de solucoes analisadas = 200 \n"
              "****************************************************** \n");
}

}  // namespace

namespace {

TEST(Annealing, MatchesThePlainStepByStepRun) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        seed_both(seed);
        bits start{};
        fill_random_bits(start.data(), n);
        const auto start_fo = static_cast<float>(objective(x_of(start)));

        seed_both(seed * 7919U);
        bits cur = start;
        float fo = start_fo;
        const auto outcome = anneal(n, d_max, cur.data(), fo, alpha, t0, t_final, 8, -2.0F, 2.0F);
        const long next_draw = lrand48();
        const int next_uniform_draw = std::rand();

        seed_both(seed * 7919U);
        bits expected_cur = start;
        float expected_fo = start_fo;
        const auto expected = reference_run(n, d_max, expected_cur.data(), expected_fo, alpha, t0,
                                            t_final, 8, -2.0F, 2.0F);

        EXPECT_EQ(cur, expected_cur) << "seed " << seed;
        EXPECT_EQ(fo, expected_fo) << "seed " << seed;
        EXPECT_EQ(outcome.start_x, expected.start_x);
        EXPECT_EQ(outcome.best_x, expected.best_x);
        EXPECT_EQ(outcome.best_fo, expected.best_fo);
        EXPECT_EQ(outcome.analysed, expected.analysed);
        EXPECT_EQ(next_draw, lrand48()) << "the runs drew different numbers";
        EXPECT_EQ(next_uniform_draw, std::rand()) << "the runs drew different numbers";
    }
}

}  // namespace

namespace {

TEST(Annealing, ObserverSeesEveryLevelAndTheBestNeverFalls) {
    seed_both(11);
    bits cur{};
    fill_random_bits(cur.data(), n);
    float fo = static_cast<float>(objective(x_of(cur)));
    const float start_fo = fo;
    std::vector<level_summary> levels;
    const auto outcome = anneal(n, d_max, cur.data(), fo, alpha, t0, t_final, 8, -2.0F, 2.0F,
                                [&levels](const level_summary& level) { levels.push_back(level); });
    ASSERT_EQ(levels.size(), 227U);
    float best_so_far = start_fo;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const level_summary& level = levels[i];
        EXPECT_EQ(level.level, static_cast<int>(i));
        EXPECT_EQ(level.trials, 8);
        EXPECT_LE(level.improving + level.worsening, level.trials);
        EXPECT_GE(level.best_fo, best_so_far);  // the best never falls
        EXPECT_GE(level.best_fo, level.fo);     // and no current value passes it
        best_so_far = level.best_fo;
    }
    EXPECT_EQ(levels.front().temperature, t0);
    EXPECT_EQ(levels.back().best_fo, outcome.best_fo);
}

}  // namespace
