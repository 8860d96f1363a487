// libFuzzer entry: arbitrary bytes as a formula typed by a user. A refusal must point within the
// text; a formula that reads must read again in parentheses, to the same value at every x tried.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formula/formula.hpp"

namespace {

bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
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
