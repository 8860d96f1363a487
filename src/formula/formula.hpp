#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "landscape/landscape.hpp"
#include "vocabulary/vocabulary.hpp"

// A function of x as a user types it, in ASCII: + - * / ^ (right to left), parentheses, x, pi,
// e, numbers with a decimal point and no exponent, and the functions sin, cos, tan, exp, log
// (natural), sqrt, abs, sinc (sin(pi u) / (pi u), 1 at 0), min and max, their arguments
// separated by ','. A product is always written with '*'. Read once into a program that
// evaluates it in double arithmetic, its functions and powers portable_math's: the same bits
// natively and in the page. Computes only: a text that is no formula comes back as why and
// where. A formula on an interval is a landscape, whose hills are its grid's.

namespace sa {

inline constexpr std::size_t max_formula_length = 1000;
// Parentheses, functions, signs and powers inside one another.
inline constexpr int max_formula_nesting = 40;

// Why a text is no formula, and where.
struct formula_error {
    enum class kind {
        empty,                 // nothing but spaces
        too_long,              // more than max_formula_length characters
        too_deep,              // nested more than max_formula_nesting deep
        unexpected_character,  // a character the grammar has no place for: '#', or ',' outside
        bad_number,            // '1.2.3', '1.', or a number too large for a double
        unknown_name,          // a name that is neither x, pi, e nor a function
        expected_value,        // an operator, ')' or the end where a value should start
        expected_operator,     // a value where an operator should come: '2x', 'x(1)'
        expected_parenthesis,  // a function without '(' after its name
        unclosed,              // '(' without its ')'
        unopened,              // ')' without its '('
        wrong_arguments,       // 'sin(1, 2)', 'max(1)'
        no_points_prefix,      // a drawing that does not start with 'points:'
        too_few_points,        // a drawing of one point
        too_many_points,       // a drawing of more than max_drawn_points
        not_increasing,        // a point's X not beyond the X before it
    };
    kind what;
    std::size_t position;  // the character, from 0, where the fault lies; the length at the end
    std::string found;     // what lies there, as typed: a name, a character, a number
};

// A kind's name, by which the front ends key their words for it: "unclosed".
const char* name_of(formula_error::kind what);

// The functions a formula may call, for a message: sin, cos, ..., min, max.
std::vector<std::string> formula_function_names();

class formula {
  public:
    // The formula that `text` writes, or why it is none.
    static expected<formula, formula_error> read(std::string_view text);

    const std::string& text() const { return text_; }

    // The formula at each of `x`, into `values`, of the same length.
    void evaluate(std::span<const double> x, std::span<double> values) const;
    double at(double x) const;

    // One step of the program: an operation on the top of a stack of values.
    struct step {
        enum class op { number, x, negate, add, subtract, multiply, divide, power, call, min, max };
        op what;
        double number = 0.0;                   // for op::number
        double (*function)(double) = nullptr;  // for op::call
        int arguments = 0;                     // for op::min and op::max
    };

  private:
    formula(std::string text, std::vector<step> program, std::size_t depth);

    std::string text_;
    std::vector<step> program_;  // in postfix order
    std::size_t depth_;          // the most values the program holds at once
};

// The landscape `name` of formula `f` on `problem`'s interval: f evaluated in double and
// rounded to single precision for the runs, as the demo rounds its values. No smooth shape:
// its hills are found on the grid.
landscape landscape_of(std::string name, formula f, const problem_params& problem);

// A function drawn as control points, as the page's plot writes it: `points:(X1,Y1),(X2,Y2)`
// and so on, X strictly increasing, numbers as in formulas with an optional '-', spaces between
// any two parts. The monotone cubic of Fritsch and Carlson through them: between two points it
// stays between their values, so a drawing shows every hill it has. Flat beyond its ends.
// Evaluated with + - * / and comparisons alone, so that every build gives the same bits.

inline constexpr std::size_t max_drawn_points = 100;
inline constexpr std::string_view drawn_prefix = "points:";

class drawn_curve {
  public:
    // The curve that `text`, prefix included, draws, or why it is none.
    static expected<drawn_curve, formula_error> read(std::string_view text);

    // As typed.
    const std::string& text() const { return text_; }
    // The control points, X increasing.
    std::span<const double> control_x() const { return x_; }
    std::span<const double> control_y() const { return y_; }

    // The curve at each of `x`, into `values`, of the same length.
    void evaluate(std::span<const double> x, std::span<double> values) const;
    double at(double x) const;

  private:
    drawn_curve(std::string text, std::vector<double> x, std::vector<double> y);

    std::string text_;
    std::vector<double> x_;
    std::vector<double> y_;
    // The cubic on [x_[k], x_[k + 1]] as a share of its rise, in t from 0 to 1:
    // t (slope_[k] + t (square_[k] + t cube_[k])).
    std::vector<double> slope_;
    std::vector<double> square_;
    std::vector<double> cube_;
};

// The landscape `name` of curve `c` on `problem`'s interval, as a formula's is.
landscape landscape_of(std::string name, drawn_curve c, const problem_params& problem);

// ---- Landscapes to teach with, beside the demo's: each a formula on the demo's interval

struct preset_landscape {
    const char* name;
    const char* formula;
};

inline constexpr std::array<preset_landscape, 4> preset_landscapes = {{
    // One broad hill and no other.
    {"smooth", "1 + exp(-(x - 0.5)^2)"},
    // A narrow peak on a flat plain, which gives no lead to it.
    {"needle", "0.5 + 1.5 * exp(-((x - 1.3) / 0.01)^2)"},
    // A narrow, highest peak in the valley between two broad hills, whose slopes lead away.
    {"deceptive",
     "0.2 + exp(-2 * (x + 1.2)^2) + 0.8 * exp(-2 * (x - 1.3)^2) + 1.2 * exp(-((x - 0.1) / "
     "0.02)^2)"},
    // Small bumps on one large hill.
    {"rugged", "1.5 - 0.25 * (x - 0.3)^2 + 0.1 * cos(30 * x)"},
}};

// The names a landscape goes by: the demo's first, then the presets'.
std::vector<std::string> landscape_names();

// The landscape a text names on the demo's interval: "demo", a preset's name, a drawing or a
// formula; why it names none, and where.
expected<landscape, formula_error> landscape_named(std::string_view text);

}  // namespace sa
