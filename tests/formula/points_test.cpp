#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formula/formula.hpp"

namespace sa {
namespace {

using kind = formula_error::kind;

std::string points_text(int count) {
    std::string text = "points:";
    for (int i = 0; i < count; ++i) {
        text += (i == 0 ? "(" : ",(") + std::to_string(i) + ",0)";
    }
    return text;
}

// Each fault, where it lies and what lies there.
TEST(DrawnCurve, RefusesWhatIsNoDrawingAndSaysWhere) {
    const std::string too_many = points_text(static_cast<int>(max_drawn_points) + 1);
    const struct {
        std::string text;
        kind what;
        std::size_t position;
        std::string found;
    } cases[] = {
        {"  ", kind::empty, 0, ""},
        {"points:" + std::string(994, ' '), kind::too_long, 1000, ""},
        {"(0,1),(1,2)", kind::no_points_prefix, 0, "("},
        {" point:(0,1),(1,2)", kind::no_points_prefix, 1, "point"},
        {"points:", kind::expected_value, 7, ""},
        {"points:(0,1)", kind::too_few_points, 12, ""},
        {"points:(0,1),(1,2),(0.5,3)", kind::not_increasing, 20, "0.5"},
        {"points:(0,1), ( -0 ,2)", kind::not_increasing, 16, "-0"},
        {"points:(0,1),(1,2", kind::unclosed, 13, "("},
        {"points:(0,1),(1.2.3,2)", kind::bad_number, 14, "1.2.3"},
        {"points:(0,1),(1,- 2)", kind::bad_number, 16, "-"},
        {"points:(0,1),(1,2.)", kind::bad_number, 16, "2."},
        {too_many, kind::too_many_points, too_many.rfind('('), "("},
        {"points:(0,1),(x,2)", kind::unexpected_character, 14, "x"},
        {"points:(0,1);(1,2)", kind::unexpected_character, 12, ";"},
        {"points:(0,1),(1 2)", kind::unexpected_character, 16, "2"},
        {"points:(0,1),(1,2),", kind::expected_value, 19, ""},
        {"points:(0,1),(1,)", kind::expected_value, 16, ")"},
    };
    for (const auto& c : cases) {
        const expected<drawn_curve, formula_error> read = drawn_curve::read(c.text);
        ASSERT_FALSE(read) << c.text;
        EXPECT_EQ(read.error().what, c.what) << c.text;
        EXPECT_EQ(read.error().position, c.position) << c.text;
        EXPECT_EQ(read.error().found, c.found) << c.text;
    }
    const std::string most = points_text(static_cast<int>(max_drawn_points));
    ASSERT_TRUE(drawn_curve::read(most));
    EXPECT_EQ(drawn_curve::read(most)->control_x().size(), max_drawn_points);
    const std::string spaced = " points: ( -2 , .5 ) ,(0,1.5),(2,0.5) ";
    const expected<drawn_curve, formula_error> read = drawn_curve::read(spaced);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text(), spaced);
    EXPECT_EQ(std::vector<double>(read->control_x().begin(), read->control_x().end()),
              (std::vector<double>{-2.0, 0.0, 2.0}));
    EXPECT_EQ(std::vector<double>(read->control_y().begin(), read->control_y().end()),
              (std::vector<double>{0.5, 1.5, 0.5}));
}

// Points on a line give the line, to a few units in the last place. Elsewhere, values worked out
// by hand from Fritsch and Carlson's rules: a flat neighbour makes a smooth step (3t^2 - 2t^3),
// tangents (1, 2) within the limit stay, and tangents (3, 4) times the secant shrink to
// (1.8, 2.4), 3 / |(3, 4)| of them.
TEST(DrawnCurve, ValuesAreFritschAndCarlsons) {
    const drawn_curve line =
        *drawn_curve::read("points:(-2,-2),(-1.25,-1.4375),(0,-0.5),(0.5,-0.125),(2,1)");
    for (int i = 0; i <= 4000; ++i) {
        const double x = -2.0 + i / 1000.0;
        const double on_line = 0.75 * x - 0.5;
        EXPECT_NEAR(line.at(x), on_line, 4.0 * std::numeric_limits<double>::epsilon()) << x;
    }
    const struct {
        const char* text;
        double x;
        double value;
    } cases[] = {
        {"points:(0,0),(1,0),(2,1),(3,1)", 1.25, 0.15625},
        {"points:(0,0),(1,1),(2,4)", 0.5, 0.375},
        {"points:(0,0),(1,5),(2,6),(3,13)", 1.5, 5.425},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(drawn_curve::read(c.text)->at(c.x), c.value, 1e-15) << c.text;
    }
}

std::string written(int thousandths) {
    const std::string digits = std::to_string(std::abs(thousandths) + 1000);
    std::string text = thousandths < 0 ? "-" : "";
    text += std::to_string(std::abs(thousandths) / 1000);
    text += '.';
    text += digits.substr(digits.size() - 3);
    return text;
}

struct drawing {
    std::string text;
    std::vector<double> x;
    std::vector<double> y;
};

// 2 to 12 points in thousandths, one in five as high as the point before it.
drawing random_drawing(std::mt19937& engine) {
    std::uniform_int_distribution<int> count(2, 12);
    std::uniform_int_distribution<int> gap(1, 2000);
    std::uniform_int_distribution<int> height(-3000, 3000);
    drawing drawn{"points:", {}, {}};
    int at = height(engine);
    int value = height(engine);
    for (int i = count(engine); i > 0; --i) {
        drawn.text += (drawn.x.empty() ? "(" : ",(") + written(at) + "," + written(value) + ")";
        drawn.x.push_back(at / 1000.0);
        drawn.y.push_back(value / 1000.0);
        at += gap(engine);
        value = gap(engine) % 5 == 0 ? value : height(engine);
    }
    return drawn;
}

// From (x0, y0) to (x1, y1) at 1000 steps: strictly one way, so that a curve held at a bound
// it would have crossed fails too, or level where y1 is y0.
void expect_one_way(const drawn_curve& curve, double x0, double y0, double x1, double y1) {
    double before = y0;
    for (int j = 1; j <= 1000; ++j) {
        const double value = curve.at(j == 1000 ? x1 : x0 + (x1 - x0) * j / 1000.0);
        ASSERT_GE(value, std::min(y0, y1)) << j;
        ASSERT_LE(value, std::max(y0, y1)) << j;
        if (y1 == y0) {
            ASSERT_EQ(value, y0) << j;
        } else {
            ASSERT_GT((value - before) * (y1 - y0), 0.0) << j;
        }
        before = value;
    }
}

// Random drawings, some with flat stretches: each passes through its points, on each interval
// moves one way between the two values at its ends, and is flat beyond its ends.
TEST(DrawnCurve, NeverOvershootsItsPoints) {
    std::mt19937 engine(20240607);
    for (int i = 0; i < 300; ++i) {
        const drawing drawn = random_drawing(engine);
        SCOPED_TRACE(drawn.text);
        const expected<drawn_curve, formula_error> read = drawn_curve::read(drawn.text);
        ASSERT_TRUE(read);
        const std::vector<double>& x = drawn.x;
        const std::vector<double>& y = drawn.y;
        for (std::size_t k = 0; k < x.size(); ++k) {
            ASSERT_EQ(read->at(x[k]), y[k]) << k;
        }
        for (std::size_t k = 0; k + 1 < x.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "interval " << k);
            expect_one_way(*read, x[k], y[k], x[k + 1], y[k + 1]);
        }
        for (const double beyond : {1e-9, 0.5, 1e300}) {
            EXPECT_EQ(read->at(x.front() - beyond), y.front());
            EXPECT_EQ(read->at(x.back() + beyond), y.back());
        }
    }
}

}  // namespace
}  // namespace sa
