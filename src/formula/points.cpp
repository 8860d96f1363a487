#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "formula/formula.hpp"
#include "formula/written_number.hpp"

namespace sa {

namespace {

using kind = formula_error::kind;

bool starts_number(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}
bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Reads `points:(X,Y),...` left to right into its points. The first fault stops it.
class drawing_reader {
  public:
    explicit drawing_reader(std::string_view text) : text_(text) {}

    void read_all() {
        prefix();
        while (!error_) {
            point();
            if (error_ || !comma_follows()) {
                break;
            }
        }
        if (!error_ && x_.size() < 2) {
            fail(kind::too_few_points, text_.size(), "");
        }
    }

    const std::optional<formula_error>& error() const { return error_; }
    std::vector<double>& x() { return x_; }
    std::vector<double>& y() { return y_; }

  private:
    void fail(kind what, std::size_t position, std::string_view found) {
        if (!error_) {
            error_ = formula_error{what, position, std::string(found)};
        }
    }

    void skip_spaces() {
        while (at_ < text_.size() && text_[at_] == ' ') {
            ++at_;
        }
    }
    bool at_end() const { return at_ == text_.size(); }
    std::string_view next_character() const { return text_.substr(at_, 1); }

    void prefix() {
        skip_spaces();
        if (!text_.substr(at_).starts_with(drawn_prefix)) {
            std::size_t end = at_;
            while (end < text_.size() && is_letter(text_[end])) {
                ++end;
            }
            fail(kind::no_points_prefix, at_,
                 text_.substr(at_, std::max<std::size_t>(end - at_, 1)));
            return;
        }
        at_ += drawn_prefix.size();
    }

    // After a point: ',' and another point, or the end.
    bool comma_follows() {
        skip_spaces();
        if (at_end()) {
            return false;
        }
        if (text_[at_] != ',') {
            fail(kind::unexpected_character, at_, next_character());
            return false;
        }
        ++at_;
        return true;
    }

    void point() {
        skip_spaces();
        if (at_end()) {
            fail(kind::expected_value, at_, "");
            return;
        }
        open_ = at_;
        if (text_[open_] != '(') {
            fail(kind::unexpected_character, open_, next_character());
            return;
        }
        if (x_.size() == max_drawn_points) {
            fail(kind::too_many_points, open_, "(");
            return;
        }
        ++at_;
        const std::optional<double> point_x = increasing_x();
        separator(',');
        const std::optional<double> point_y = coordinate();
        separator(')');
        if (!error_) {
            x_.push_back(*point_x);
            y_.push_back(*point_y);
        }
    }

    std::optional<double> increasing_x() {
        skip_spaces();
        const std::size_t start = at_;
        const std::optional<double> read = coordinate();
        if (read && !x_.empty() && !(*read > x_.back())) {
            fail(kind::not_increasing, start, text_.substr(start, at_ - start));
        }
        return read;
    }

    // A number, signed or not, inside the point.
    std::optional<double> coordinate() {
        if (error_) {
            return std::nullopt;
        }
        skip_spaces();
        if (at_end()) {
            fail(kind::unclosed, open_, "(");
            return std::nullopt;
        }
        const std::size_t start = at_;
        const bool negative = text_[at_] == '-';
        at_ += negative ? 1 : 0;
        if (at_end() || !starts_number(text_[at_])) {
            not_a_number(start, negative);
            return std::nullopt;
        }
        const written_number read = read_written_number(text_, at_);
        at_ += read.written.size();
        if (!read.value) {
            fail(kind::bad_number, start, text_.substr(start, at_ - start));
            return std::nullopt;
        }
        return negative ? -*read.value : *read.value;
    }

    void not_a_number(std::size_t start, bool negative) {
        if (negative) {
            fail(kind::bad_number, start, "-");
        } else if (std::string_view("(),:").find(text_[start]) != std::string_view::npos) {
            fail(kind::expected_value, start, next_character());
        } else {
            fail(kind::unexpected_character, start, next_character());
        }
    }

    void separator(char expected) {
        if (error_) {
            return;
        }
        skip_spaces();
        if (at_end()) {
            fail(kind::unclosed, open_, "(");
        } else if (text_[at_] != expected) {
            fail(kind::unexpected_character, at_, next_character());
        } else {
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t open_ = 0;  // the '(' of the point being read
    std::optional<formula_error> error_;
    std::vector<double> x_;
    std::vector<double> y_;
};

// Fritsch and Carlson's tangents: at each point the mean of the secants on its two sides, none
// where they differ in sign or one is flat (a peak or valley stays at the point), the one-sided
// secant at the ends. Each interval's pair then shrinks to within 3 times its secant, alpha^2 +
// beta^2 <= 9, where the cubic cannot overshoot.
std::vector<double> monotone_tangents(const std::vector<double>& secant) {
    const std::size_t intervals = secant.size();
    std::vector<double> tangent(intervals + 1);
    tangent.front() = secant.front();
    tangent.back() = secant.back();
    for (std::size_t i = 1; i < intervals; ++i) {
        const bool rising = secant[i - 1] > 0.0 && secant[i] > 0.0;
        const bool falling = secant[i - 1] < 0.0 && secant[i] < 0.0;
        // Halves first, so that two slopes near the largest double do not overflow their sum.
        tangent[i] = rising || falling ? secant[i - 1] / 2.0 + secant[i] / 2.0 : 0.0;
    }
    for (std::size_t k = 0; k < intervals; ++k) {
        if (secant[k] == 0.0) {
            tangent[k] = 0.0;
            tangent[k + 1] = 0.0;
            continue;
        }
        const double alpha = tangent[k] / secant[k];
        const double beta = tangent[k + 1] / secant[k];
        const double radius_squared = alpha * alpha + beta * beta;
        if (radius_squared > 9.0) {
            // sqrt is correctly rounded, as + - * / are: the same bits in every build.
            const double shrink = 3.0 / std::sqrt(radius_squared);
            tangent[k] = shrink * alpha * secant[k];
            tangent[k + 1] = shrink * beta * secant[k];
        }
    }
    return tangent;
}

// A tangent as a multiple of its interval's secant; none where either is no finite number, as
// when a drawing's slopes overflow a double.
double relative(double tangent, double secant) {
    const double ratio = tangent / secant;
    return std::isfinite(ratio) ? ratio : 0.0;
}

}  // namespace

expected<drawn_curve, formula_error> drawn_curve::read(std::string_view text) {
    if (text.size() > max_formula_length) {
        return formula_error{kind::too_long, max_formula_length, ""};
    }
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        return formula_error{kind::empty, 0, ""};
    }
    drawing_reader read(text);
    read.read_all();
    if (read.error()) {
        return *read.error();
    }
    return drawn_curve(std::string(text), std::move(read.x()), std::move(read.y()));
}

drawn_curve::drawn_curve(std::string text, std::vector<double> x, std::vector<double> y)
    : text_(std::move(text)), x_(std::move(x)), y_(std::move(y)) {
    std::vector<double> secant(x_.size() - 1);
    for (std::size_t k = 0; k < secant.size(); ++k) {
        secant[k] = (y_[k + 1] - y_[k]) / (x_[k + 1] - x_[k]);
    }
    const std::vector<double> tangent = monotone_tangents(secant);
    for (std::size_t k = 0; k < secant.size(); ++k) {
        // The Hermite cubic in t, over its rise: t^2 (3 - 2t) + a t (1 - t)^2 - b t^2 (1 - t).
        const double a = relative(tangent[k], secant[k]);
        const double b = relative(tangent[k + 1], secant[k]);
        slope_.push_back(a);
        square_.push_back(3.0 - 2.0 * a - b);
        cube_.push_back(a + b - 2.0);
    }
}

double drawn_curve::at(double x) const {
    if (!(x > x_.front())) {
        return y_.front();
    }
    if (x >= x_.back()) {
        return y_.back();
    }
    const auto k =
        static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin() - 1);
    const double low_y = y_[k];
    const double high_y = y_[k + 1];
    if (x == x_[k]) {
        return low_y;
    }
    const double t = (x - x_[k]) / (x_[k + 1] - x_[k]);
    const double share = t * (slope_[k] + t * (square_[k] + t * cube_[k]));
    const double value = low_y + share * (high_y - low_y);
    // Rounding, or a drawing whose differences overflow, may not leave the two values.
    const double least = std::min(low_y, high_y);
    const double most = std::max(low_y, high_y);
    if (!(value >= least)) {
        return least;
    }
    return value > most ? most : value;
}

void drawn_curve::evaluate(std::span<const double> x, std::span<double> values) const {
    for (std::size_t i = 0; i < x.size(); ++i) {
        values[i] = at(x[i]);
    }
}

}  // namespace sa
