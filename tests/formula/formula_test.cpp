#include "formula/formula.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "encoding/encoding.hpp"
#include "objective/objective.hpp"
#include "portable_math/portable_math.hpp"

namespace sa {
namespace {

// Each formula against the same operations written in C++, bit for bit; its functions at
// points where the library's own differ from portable_math's.
TEST(Formula, ValuesAreTheOperationsItWrites) {
    const double pi = std::numbers::pi;
    const struct {
        const char* text;
        double x;
        double value;
    } cases[] = {
        {"x", 0.5, 0.5},
        {"  x  ", -1.25, -1.25},
        {"+x", 3.0, 3.0},
        {"2 + 3 * 4", 0.0, 14.0},
        {"(2 + 3) * 4", 0.0, 20.0},
        {"1 - 2 - 3", 0.0, -4.0},
        {"8 / 2 / 2", 0.0, 2.0},
        {"2^3^2", 0.0, 512.0},
        {"-x^2", 3.0, -9.0},
        {"2^-1", 0.0, 0.5},
        {"--x", 2.0, 2.0},
        {".5 + 1.25", 0.0, 1.75},
        {"pi", 0.0, pi},
        {"e", 0.0, std::numbers::e},
        {"sinc(0)", 0.0, 1.0},
        {"sinc(x)", 0.5, portable_sin(pi * 0.5) / (pi * 0.5)},
        {"sinc(4*x + 2)", 3.8, portable_sin(pi * (4 * 3.8 + 2)) / (pi * (4 * 3.8 + 2))},
        {"min(3, x, 2)", 1.0, 1.0},
        {"max(x, 1 - x)", 0.25, 0.75},
        {"abs(-2.5)", 0.0, 2.5},
        {"sqrt(x)", 2.0, std::sqrt(2.0)},
        {"log(e)", 0.0, portable_log(std::numbers::e)},
        {"exp(-x^2/2)", 1.3, portable_exp(-(1.3 * 1.3) / 2)},
        {"sin(x)*cos(x)/tan(x)", 2.5, portable_sin(2.5) * portable_cos(2.5) / portable_tan(2.5)},
        {"cos(x)", 8.3, portable_cos(8.3)},
        {"tan(x)", 3.9, portable_tan(3.9)},
        {"x^0.5", 2.0, portable_pow(2.0, 0.5)},
        {"1/x", 0.0, INFINITY},
    };
    for (const auto& c : cases) {
        const expected<formula, formula_error> read = formula::read(c.text);
        ASSERT_TRUE(read) << c.text;
        EXPECT_EQ(read->text(), c.text);
        EXPECT_EQ(read->at(c.x), c.value) << c.text << " at " << c.x;
    }
    EXPECT_TRUE(std::isnan(formula::read("log(x)")->at(-1.0)));
}

// The demo's f typed as a user would: within a few units in the last place of the demo's own
// evaluation in double, at every point of a 17-digit grid.
TEST(Formula, TheDemosFunctionTypedIsTheDemos) {
    const expected<formula, formula_error> typed = formula::read(
        "0.4 + sinc(4*x) + 1.1*sinc(4*x + 2) + 0.8*sinc(6*x - 2) + 0.7*sinc(6*x - 4)");
    ASSERT_TRUE(typed);
    const encoding grid = encoding_with(17, -2.0F, 2.0F);
    std::vector<double> x;
    for (int d = 0; d <= grid.d_max; ++d) {
        x.push_back(x_at(d, grid));
    }
    std::vector<double> values(x.size());
    typed->evaluate(x, values);
    double worst = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        worst = std::max(worst, std::abs(values[i] - smooth_f(x[i])));
        ASSERT_EQ(values[i], typed->at(x[i]));
    }
    EXPECT_LT(worst, 1e-14);
}

// Each fault, where it lies and what lies there.
TEST(Formula, RefusesWhatIsNoFormulaAndSaysWhere) {
    using kind = formula_error::kind;
    const std::string deepest = std::string(39, '(') + "x" + std::string(39, ')');
    const std::string too_deep = std::string(40, '(') + "x" + std::string(40, ')');
    const struct {
        std::string text;
        kind what;
        std::size_t position;
        std::string found;
    } cases[] = {
        {"", kind::empty, 0, ""},
        {"   ", kind::empty, 0, ""},
        {std::string(1001, '1'), kind::too_long, 1000, ""},
        {too_deep, kind::too_deep, 40, "x"},
        {"2x", kind::expected_operator, 1, "x"},
        {"x y", kind::expected_operator, 2, "y"},
        {"x(1)", kind::expected_operator, 1, "("},
        {"sin x", kind::expected_parenthesis, 4, "x"},
        {"sinh(x)", kind::unknown_name, 0, "sinh"},
        {"pi2 + 1", kind::unknown_name, 0, "pi2"},
        {"1 + ", kind::expected_value, 4, ""},
        {"*x", kind::expected_value, 0, "*"},
        {"2 ^ ^ 3", kind::expected_value, 4, "^"},
        {"sin(", kind::expected_value, 4, ""},
        {"min(1,)", kind::expected_value, 6, ")"},
        {"(x + 1", kind::unclosed, 0, "("},
        {"max(x, (1", kind::unclosed, 7, "("},
        {"x + 1)", kind::unopened, 5, ")"},
        {"1,5", kind::unexpected_character, 1, ","},
        {"(1, 5)", kind::unexpected_character, 2, ","},
        {"x # 2", kind::unexpected_character, 2, "#"},
        {"x\t", kind::unexpected_character, 1, "\t"},
        {"1.2.3", kind::bad_number, 0, "1.2.3"},
        {"3 * 1.", kind::bad_number, 4, "1."},
        {std::string(400, '9'), kind::bad_number, 0, std::string(400, '9')},
        {"sin(1, 2)", kind::wrong_arguments, 0, "sin"},
        {"max(1)", kind::wrong_arguments, 0, "max"},
    };
    for (const auto& c : cases) {
        const expected<formula, formula_error> read = formula::read(c.text);
        ASSERT_FALSE(read) << c.text;
        EXPECT_EQ(read.error().what, c.what) << c.text;
        EXPECT_EQ(read.error().position, c.position) << c.text;
        EXPECT_EQ(read.error().found, c.found) << c.text;
    }
    EXPECT_TRUE(formula::read(deepest));
    std::string longest = "1 ";
    while (longest.size() < max_formula_length) {
        longest += "+1";
    }
    ASSERT_EQ(longest.size(), max_formula_length);
    EXPECT_EQ(formula::read(longest)->at(0.0), 500.0);
}

}  // namespace
}  // namespace sa
