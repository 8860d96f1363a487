// libFuzzer entry: arbitrary bytes as a formula typed by a user, and as a drawing. A refusal
// must point within the text; a formula that reads must read again in parentheses, to the same
// value at every x tried; a drawing that reads must pass through its points and stay within
// their values between them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formula/formula.hpp"

namespace {

bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

void check_drawing(std::string_view text) {
    const auto drawn = sa::drawn_curve::read(text);
    if (!drawn) {
        if (drawn.error().position > text.size()) {
            __builtin_trap();
        }
        return;
    }
    const auto x = drawn->control_x();
    const auto y = drawn->control_y();
    const auto [least, most] = std::minmax_element(y.begin(), y.end());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double between = i + 1 < x.size() ? x[i] + (x[i + 1] - x[i]) / 3.0 : x[i] + 1.0;
        const double value = drawn->at(between);
        if (drawn->at(x[i]) != y[i] || !(value >= *least && value <= *most)) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_drawing(text);
    const auto read = sa::formula::read(text);
    if (!read) {
        if (read.error().position > text.size()) {
            __builtin_trap();
        }
        return 0;
    }
    const auto wrapped = sa::formula::read("(" + std::string(text) + ")");
    if (!wrapped) {
        // Only a cap may refuse what read alone.
        const auto why = wrapped.error().what;
        if (why != sa::formula_error::kind::too_long && why != sa::formula_error::kind::too_deep) {
            __builtin_trap();
        }
        return 0;
    }
    for (const double x : {-2.0, -0.5, 0.0, 1.0 / 3.0, 2.0, 1e300}) {
        if (!same(read->at(x), wrapped->at(x))) {
            __builtin_trap();
        }
    }
    return 0;
}
