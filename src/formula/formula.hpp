#pragma once

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
    };
    kind what;
    std::size_t position;  // the character, from 0, where the fault lies; the length at the end
    std::string found;     // what lies there, as typed: a name, a character, a number
};

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

}  // namespace sa
