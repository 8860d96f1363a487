#include "landmarks/landmarks.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "formula/formula.hpp"
#include "objective/objective.hpp"

namespace {

struct reference_peak {
    double x;
    double value;
};

// f's peaks along [-2, 2] and the valleys between them, found on its formula with 40 digits
// (mpmath's findroot on f'), apart from this program: both ends are peaks, at 0.4.
const std::vector<reference_peak> peaks = {
    {-2.0, 0.4},
    {-1.6569739320974313, 0.50705624322079696},
    {-1.1045007870799572, 0.65621791370712295},
    {-0.50714966597485246, 1.5015639937218749},
    {-0.014856987563215997, 1.4094617319775637},
    {0.27200665226911397, 1.0086410366086241},
    {0.67461713915467068, 1.2722132480620712},
    {1.0896202824526629, 0.65855646430632927},
    {1.4519353691546833, 0.41048455589713528},
    {1.7034960953364561, 0.49042048519181952},
    {2.0, 0.4},
};
const std::vector<double> valleys = {
    -1.8892077027714259, -1.3357963955272251, -0.87549012968848099, -0.2447006023308279,
    0.17252286126493743, 0.47483478606679118, 0.89872200127703898,  1.2823576435459899,
    1.5399241401824332,  1.8985196420905586,
};

// The last point of the grid -2 + 4 d / d_max at or left of x.
int last_point_up_to(double x, int d_max) {
    return static_cast<int>(std::floor((x + 2.0) / 4.0 * d_max));
}

// Each hill holds the grid points of its basin, between the valleys on either side, and at
// each valley one of the two points around it, shared with the hill beyond: which one, the
// rounding of f decides. Its basin's points are those between the valleys alone, so that the
// basins cut the grid into parts. A basin without a grid point is a hill the grid cannot show.
TEST(Landscape, EveryHillOfFOnEveryGridFrom2To24Bits) {
    std::vector<std::size_t> by_height(peaks.size());
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        by_height[i] = i;
    }
    std::stable_sort(by_height.begin(), by_height.end(),
                     [](std::size_t a, std::size_t b) { return peaks[a].value > peaks[b].value; });
    for (int bits = 2; bits <= 24; ++bits) {
        const sa::encoding enc = sa::demo_landscape().grid(bits);
        const std::vector<sa::hill> hills = sa::hills_of(
            sa::demo_landscape(), enc, [&enc](int d) { return sa::objective(sa::x_at(d, enc)); });
        ASSERT_EQ(hills.size(), peaks.size()) << bits << " bits";
        int shared = 0;  // the point the last hill with points shares with the next
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            const std::size_t rank = static_cast<std::size_t>(
                std::find(by_height.begin(), by_height.end(), i) - by_height.begin());
            const sa::hill& hill = hills[rank];
            SCOPED_TRACE(testing::Message() << bits << " bits, the peak at " << peaks[i].x);
            EXPECT_NEAR(hill.top_x, peaks[i].x, 1e-9);
            EXPECT_NEAR(hill.top_value, peaks[i].value, 1e-9);
            const int left = i == 0 ? -1 : last_point_up_to(valleys[i - 1], enc.d_max);
            const int right =
                i + 1 == peaks.size() ? enc.d_max : last_point_up_to(valleys[i], enc.d_max);
            if (left == right) {
                EXPECT_EQ(hill.range.first, -1);
                EXPECT_EQ(hill.range.last, -1);
                EXPECT_EQ(hill.basin.first, -1);
                continue;
            }
            EXPECT_EQ(hill.basin.first, left + 1);
            EXPECT_EQ(hill.basin.last, right);
            EXPECT_EQ(hill.range.first, shared);
            EXPECT_TRUE(hill.range.first == std::max(left, 0) || hill.range.first == left + 1);
            EXPECT_TRUE(hill.range.last == right || hill.range.last == right + 1);
            shared = hill.range.last;
        }
        EXPECT_EQ(shared, enc.d_max);
    }
}

TEST(Landmarks, TheDemoGridsOptimumAndItsTwoHills) {
    const sa::grid_landmarks landmarks =
        sa::find_landmarks(sa::tabulated_space(sa::demo_landscape(), sa::demo_landscape().grid()));
    EXPECT_EQ(landmarks.optimum_d, 48917);
    EXPECT_EQ(landmarks.global_peak.first, 36848);
    EXPECT_EQ(landmarks.global_peak.last, 57517);
    EXPECT_EQ(landmarks.second_peak.first, 57517);  // the valley the two hills share
    EXPECT_TRUE(landmarks.second_peak.contains(65048));
    EXPECT_TRUE(landmarks.second_peak.contains(65049));
    // Found again without a table, by evaluating f at every point.
    const sa::grid_landmarks untabulated = sa::landmarks_of_grid(sa::demo_landscape(), 17);
    EXPECT_EQ(untabulated.optimum_d, landmarks.optimum_d);
    EXPECT_EQ(untabulated.optimum_value, landmarks.optimum_value);
    EXPECT_EQ(untabulated.global_peak.last, landmarks.global_peak.last);
    EXPECT_EQ(untabulated.second_peak.last, landmarks.second_peak.last);
}

// A landscape of eight grid points with the values given, known only by them.
class table_function final : public sa::landscape::definition {
  public:
    explicit table_function(std::vector<double> values) : values_(std::move(values)) {}
    long double value(float x) const override {
        return values_[static_cast<std::size_t>(std::lround((x + 2.0F) / 4.0F * 7.0F))];
    }
    void tabulate(std::span<const float>, std::span<float>, std::span<double>) const override {}
    std::optional<sa::smooth_shape> shape() const override { return std::nullopt; }

  private:
    std::vector<double> values_;
};

// Hills found on a grid's values alone: a plateau is one top, at its middle; the valley between
// two peaks is their lowest point, the leftmost of equals, shared by both ranges and the last
// of the left basin; the highest first, equals left first.
TEST(Landmarks, HillsOfALandscapeKnownByItsGrid) {
    struct expected_hill {
        int top;
        sa::peak_range range;
        sa::peak_range basin;
    };
    const struct {
        std::vector<double> values;
        std::vector<expected_hill> hills;
    } cases[] = {
        {{1, 3, 3, 2, 5, 1, 1, 4}, {{4, {3, 5}, {4, 5}}, {7, {5, 7}, {6, 7}}, {1, {0, 3}, {0, 3}}}},
        {{2, 2, 2, 2, 2, 2, 2, 2}, {{3, {0, 7}, {0, 7}}}},
        {{0, 1, 2, 3, 4, 5, 6, 7}, {{7, {0, 7}, {0, 7}}}},
        {{7, 6, 5, 4, 3, 2, 1, 0}, {{0, {0, 7}, {0, 7}}}},
        {{5, 1, 5, 1, 5, 1, 1, 5},
         {{0, {0, 1}, {0, 1}}, {2, {1, 3}, {2, 3}}, {4, {3, 5}, {4, 5}}, {7, {5, 7}, {6, 7}}}},
        {{1, 4, 4, 4, 1, 2, 0, 0}, {{2, {0, 4}, {0, 4}}, {5, {4, 7}, {5, 7}}}},
    };
    for (const auto& c : cases) {
        const sa::landscape f("table", sa::demo_problem,
                              std::make_shared<const table_function>(c.values));
        const sa::encoding enc = f.grid(3);
        const std::vector<sa::hill> hills =
            sa::hills_of(f, enc, [&c](int d) { return c.values[static_cast<std::size_t>(d)]; });
        SCOPED_TRACE(testing::Message() << "values " << testing::PrintToString(c.values));
        ASSERT_EQ(hills.size(), c.hills.size());
        for (std::size_t i = 0; i < hills.size(); ++i) {
            EXPECT_EQ(hills[i].top_x, sa::x_at(c.hills[i].top, enc)) << i;
            EXPECT_EQ(hills[i].top_value, c.values[static_cast<std::size_t>(c.hills[i].top)]) << i;
            EXPECT_EQ(hills[i].range.first, c.hills[i].range.first) << i;
            EXPECT_EQ(hills[i].range.last, c.hills[i].range.last) << i;
            EXPECT_EQ(hills[i].basin.first, c.hills[i].basin.first) << i;
            EXPECT_EQ(hills[i].basin.last, c.hills[i].basin.last) << i;
        }
    }
}

// The demo's f typed as a formula has no shape to go by: its hills found on the grid's values
// are the peaks found apart from this program, each within a grid step, each valley on one of
// the two points around it, at 12, 17 and 20 bits.
TEST(Landmarks, TheDemosFunctionTypedHasTheDemosHillsOnItsGrid) {
    const sa::landscape typed = sa::landscape_of(
        "typed",
        *sa::formula::read(
            "0.4 + sinc(4*x) + 1.1*sinc(4*x + 2) + 0.8*sinc(6*x - 2) + 0.7*sinc(6*x - 4)"),
        sa::demo_problem);
    for (const int bits : {12, 17, 20}) {
        const sa::encoding enc = typed.grid(bits);
        const double step = 4.0 / enc.d_max;
        std::vector<sa::hill> hills =
            sa::hills_of(typed, enc, [&](int d) { return typed.value(sa::x_at(d, enc)); });
        ASSERT_EQ(hills.size(), peaks.size()) << bits << " bits";
        std::sort(hills.begin(), hills.end(),
                  [](const sa::hill& a, const sa::hill& b) { return a.top_x < b.top_x; });
        for (std::size_t i = 0; i < peaks.size(); ++i) {
            SCOPED_TRACE(testing::Message() << bits << " bits, the peak at " << peaks[i].x);
            EXPECT_NEAR(hills[i].top_x, peaks[i].x, step);
            // A top within half a step of the peak is within |f''| (step / 2)^2 / 2 below it.
            EXPECT_NEAR(hills[i].top_value, peaks[i].value,
                        sa::curvature_bound_of_f() * step * step / 8.0);
            if (i + 1 < peaks.size()) {
                const int left_of_valley = last_point_up_to(valleys[i], enc.d_max);
                EXPECT_TRUE(hills[i].range.last == left_of_valley ||
                            hills[i].range.last == left_of_valley + 1);
                EXPECT_EQ(hills[i + 1].range.first, hills[i].range.last);
                EXPECT_EQ(hills[i + 1].basin.first, hills[i].basin.last + 1);
            }
        }
    }
}

// A drawing of three peaks, symmetric about the highest: its grid has those three hills and no
// other, the highest topped at the grid point nearest the drawn one, at 12 and 17 bits.
TEST(Landmarks, ADrawingsHighestPointTopsItsGrid) {
    const sa::landscape drawn = sa::landscape_of(
        "drawn",
        *sa::drawn_curve::read(
            "points:(-2,0),(-1.3,1),(-0.6,0.2),(0.1,1.6),(0.8,0.2),(1.5,1),(2.2,0)"),
        sa::demo_problem);
    for (const int bits : {12, 17}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        const sa::encoding enc = drawn.grid(bits);
        const std::vector<sa::hill> hills =
            sa::hills_of(drawn, enc, [&](int d) { return drawn.value(sa::x_at(d, enc)); });
        ASSERT_EQ(hills.size(), 3U);
        int nearest = 0;
        for (int d = 1; d <= enc.d_max; ++d) {
            if (std::abs(sa::x_at(d, enc) - 0.1) < std::abs(sa::x_at(nearest, enc) - 0.1)) {
                nearest = d;
            }
        }
        EXPECT_EQ(hills[0].top_x, static_cast<double>(sa::x_at(nearest, enc)));
        EXPECT_NEAR(hills[0].top_value, 1.6, 1e-5);
        EXPECT_EQ(hills[0].top_value, static_cast<double>(drawn.value(sa::x_at(nearest, enc))));
    }
}

}  // namespace
