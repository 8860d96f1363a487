#include "formula/formula.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "formula/written_number.hpp"
#include "portable_math/portable_math.hpp"

namespace sa {

namespace {

using kind = formula_error::kind;
using op = formula::step::op;

double sinc(double u) {
    const double angle = std::numbers::pi * u;
    return angle == 0.0 ? 1.0 : portable_sin(angle) / angle;
}

struct named_function {
    std::string_view name;
    // cppcheck takes it for unused: it is read through the iterator that find_if returns.
    // cppcheck-suppress unusedStructMember
    double (*function)(double);
};

// portable_math's functions, whose bits the page shares; sqrt and fabs, exact everywhere, are
// the standard library's, which may not have their address taken: each is wrapped.
constexpr std::array<named_function, 8> functions = {{
    {"sin", portable_sin},
    {"cos", portable_cos},
    {"tan", portable_tan},
    {"exp", portable_exp},
    {"log", portable_log},
    {"sqrt", [](double u) { return std::sqrt(u); }},
    {"abs", [](double u) { return std::fabs(u); }},
    {"sinc", sinc},
}};

struct token {
    enum class type { number, name, plus, minus, star, slash, caret, open, close, comma, end };
    type what;
    std::size_t position;
    std::string_view text;
    double number = 0.0;
};
using type = token::type;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Reads the text left to right into a postfix program, by recursive descent: a sum of products
// of signed powers of atoms. The first fault stops it.
class reader {
  public:
    explicit reader(std::string_view text) : text_(text) { advance(); }

    void read_all() {
        sum();
        if (!error_ && next_.what != type::end) {
            after_value();
        }
    }

    const std::optional<formula_error>& error() const { return error_; }
    std::vector<formula::step>& program() { return program_; }
    std::size_t depth() const { return most_; }

  private:
    void fail(kind what, std::size_t position, std::string_view found) {
        if (!error_) {
            error_ = formula_error{what, position, std::string(found)};
        }
    }

    // What may not follow a value: a value, '(' or a stray ')' or ','.
    void after_value() {
        switch (next_.what) {
            case type::close:
                fail(kind::unopened, next_.position, next_.text);
                break;
            case type::comma:
                fail(kind::unexpected_character, next_.position, next_.text);
                break;
            default:
                fail(kind::expected_operator, next_.position, next_.text);
        }
    }

    void emit(formula::step step, int pushed) {
        program_.push_back(step);
        held_ += pushed;
        most_ = std::max(most_, static_cast<std::size_t>(held_));
    }

    // One level further in; false, with the fault, past the deepest allowed.
    bool deeper() {
        if (++nesting_ > max_formula_nesting) {
            fail(kind::too_deep, next_.position, next_.text);
            return false;
        }
        return true;
    }

    void sum() {
        product();
        while (!error_ && (next_.what == type::plus || next_.what == type::minus)) {
            const op what = next_.what == type::plus ? op::add : op::subtract;
            advance();
            product();
            emit({what}, -1);
        }
    }

    void product() {
        signed_power();
        while (!error_ && (next_.what == type::star || next_.what == type::slash)) {
            const op what = next_.what == type::star ? op::multiply : op::divide;
            advance();
            signed_power();
            emit({what}, -1);
        }
    }

    // A sign binds less tightly than a power: -x^2 is -(x^2), and 2^-1 is a half.
    void signed_power() {
        if (!deeper()) {
            return;
        }
        if (next_.what == type::minus || next_.what == type::plus) {
            const bool negative = next_.what == type::minus;
            advance();
            signed_power();
            if (negative) {
                emit({op::negate}, 0);
            }
        } else {
            atom();
            if (!error_ && next_.what == type::caret) {
                advance();
                signed_power();
                emit({op::power}, -1);
            }
        }
        --nesting_;
    }

    void atom() {
        switch (next_.what) {
            case type::number:
                emit({op::number, next_.number}, 1);
                advance();
                return;
            case type::name:
                name();
                return;
            case type::open: {
                const token open = next_;
                advance();
                sum();
                close(open);
                return;
            }
            default:
                fail(kind::expected_value, next_.position, next_.text);
        }
    }

    void close(const token& open) {
        if (error_) {
            return;
        }
        if (next_.what == type::close) {
            advance();
        } else if (next_.what == type::end) {
            fail(kind::unclosed, open.position, open.text);
        } else {
            after_value();
        }
    }

    void name() {
        const token named = next_;
        advance();
        if (named.text == "x") {
            emit({op::x}, 1);
        } else if (named.text == "pi") {
            emit({op::number, std::numbers::pi}, 1);
        } else if (named.text == "e") {
            emit({op::number, std::numbers::e}, 1);
        } else {
            call(named);
        }
    }

    void call(const token& named) {
        const auto* const found =
            std::find_if(functions.begin(), functions.end(),
                         [&](const named_function& f) { return f.name == named.text; });
        const bool extreme = named.text == "min" || named.text == "max";
        if (found == functions.end() && !extreme) {
            fail(kind::unknown_name, named.position, named.text);
            return;
        }
        if (next_.what != type::open) {
            fail(kind::expected_parenthesis, next_.position, next_.text);
            return;
        }
        const token open = next_;
        advance();
        int arguments = 0;
        for (;;) {
            sum();
            ++arguments;
            if (error_ || next_.what != type::comma) {
                break;
            }
            advance();
        }
        if (!error_ && (extreme ? arguments < 2 : arguments != 1)) {
            fail(kind::wrong_arguments, named.position, named.text);
        }
        close(open);
        if (extreme) {
            emit({named.text == "min" ? op::min : op::max, 0.0, nullptr, arguments}, 1 - arguments);
        } else {
            emit({op::call, 0.0, found->function}, 0);
        }
    }

    void advance() {
        std::size_t at = position_;
        while (at < text_.size() && text_[at] == ' ') {
            ++at;
        }
        position_ = at;
        if (at == text_.size()) {
            next_ = {type::end, at, ""};
            return;
        }
        const char c = text_[at];
        if (is_digit(c) || c == '.') {
            number(at);
        } else if (is_letter(c)) {
            std::size_t end = at;
            while (end < text_.size() && (is_letter(text_[end]) || is_digit(text_[end]))) {
                ++end;
            }
            next_ = {type::name, at, text_.substr(at, end - at)};
            position_ = end;
        } else {
            static constexpr std::string_view symbols = "+-*/^(),";
            static constexpr std::array<type, 8> types = {type::plus,  type::minus, type::star,
                                                          type::slash, type::caret, type::open,
                                                          type::close, type::comma};
            const std::size_t which = symbols.find(c);
            next_ = {which == std::string_view::npos ? type::end : types[which], at,
                     text_.substr(at, 1)};
            position_ = at + 1;
            if (which == std::string_view::npos) {
                fail(kind::unexpected_character, at, text_.substr(at, 1));
            }
        }
    }

    void number(std::size_t at) {
        const written_number read = read_written_number(text_, at);
        if (!read.value) {
            fail(kind::bad_number, at, read.written);
        }
        next_ = {type::number, at, read.written, read.value.value_or(0.0)};
        position_ = at + read.written.size();
    }

    std::string_view text_;
    std::size_t position_ = 0;
    token next_{type::end, 0, ""};
    std::optional<formula_error> error_;
    std::vector<formula::step> program_;
    int nesting_ = 0;
    int held_ = 0;
    std::size_t most_ = 0;
};

}  // namespace

// Digits with at most one decimal point between digits; no exponent, since e is a constant.
written_number read_written_number(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && (is_digit(text[end]) || text[end] == '.')) {
        ++end;
    }
    const std::string_view written = text.substr(at, end - at);
    const std::size_t point = written.find('.');
    const bool shaped = !written.empty() &&
                        written.find('.', point + 1) == std::string_view::npos &&
                        written.back() != '.';
    double value = 0.0;
    const auto [stop, fault] = std::from_chars(written.data(), written.data() + written.size(),
                                               value, std::chars_format::fixed);
    if (!shaped || fault != std::errc() || stop != written.data() + written.size() ||
        !std::isfinite(value)) {
        return {written, std::nullopt};
    }
    return {written, value};
}

expected<formula, formula_error> formula::read(std::string_view text) {
    if (text.size() > max_formula_length) {
        return formula_error{kind::too_long, max_formula_length, ""};
    }
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        return formula_error{kind::empty, 0, ""};
    }
    reader read(text);
    read.read_all();
    if (read.error()) {
        return *read.error();
    }
    return formula(std::string(text), std::move(read.program()), read.depth());
}

formula::formula(std::string text, std::vector<step> program, std::size_t depth)
    : text_(std::move(text)), program_(std::move(program)), depth_(depth) {}

void formula::evaluate(std::span<const double> x, std::span<double> values) const {
    std::vector<double> stack(depth_);
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::size_t top = 0;  // values held
        for (const step& s : program_) {
            switch (s.what) {
                case op::number:
                    stack[top++] = s.number;
                    break;
                case op::x:
                    stack[top++] = x[i];
                    break;
                case op::negate:
                    stack[top - 1] = -stack[top - 1];
                    break;
                case op::add:
                    --top;
                    stack[top - 1] += stack[top];
                    break;
                case op::subtract:
                    --top;
                    stack[top - 1] -= stack[top];
                    break;
                case op::multiply:
                    --top;
                    stack[top - 1] *= stack[top];
                    break;
                case op::divide:
                    --top;
                    stack[top - 1] /= stack[top];
                    break;
                case op::power:
                    --top;
                    stack[top - 1] = portable_pow(stack[top - 1], stack[top]);
                    break;
                case op::call:
                    stack[top - 1] = s.function(stack[top - 1]);
                    break;
                case op::min:
                case op::max: {
                    const auto count = static_cast<std::size_t>(s.arguments);
                    const auto first = stack.begin() + static_cast<std::ptrdiff_t>(top - count);
                    const auto last = stack.begin() + static_cast<std::ptrdiff_t>(top);
                    const double extreme = s.what == op::min ? *std::min_element(first, last)
                                                             : *std::max_element(first, last);
                    top -= count - 1;
                    stack[top - 1] = extreme;
                    break;
                }
            }
        }
        values[i] = stack[0];
    }
}

double formula::at(double x) const {
    double value = 0.0;
    evaluate(std::span(&x, 1), std::span(&value, 1));
    return value;
}

const char* name_of(formula_error::kind what) {
    static constexpr std::array<const char*, 16> names = {
        "empty",
        "too_long",
        "too_deep",
        "unexpected_character",
        "bad_number",
        "unknown_name",
        "expected_value",
        "expected_operator",
        "expected_parenthesis",
        "unclosed",
        "unopened",
        "wrong_arguments",
        "no_points_prefix",
        "too_few_points",
        "too_many_points",
        "not_increasing",
    };
    return names.at(static_cast<std::size_t>(what));
}

std::vector<std::string> formula_function_names() {
    std::vector<std::string> names(functions.size());
    std::transform(functions.begin(), functions.end(), names.begin(),
                   [](const named_function& f) { return std::string(f.name); });
    names.insert(names.end(), {"min", "max"});
    return names;
}

}  // namespace sa
