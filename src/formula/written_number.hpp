#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// The number rule that formulas and drawn curves share, so that both read the same numbers.

namespace sa {

// The run of digits and decimal points that starts at `text[at]`, and its value: none when it
// is no number ('1.2.3', '1.', '', or too large for a double). No sign and no exponent.
struct written_number {
    std::string_view written;
    std::optional<double> value;
};
written_number read_written_number(std::string_view text, std::size_t at);

}  // namespace sa
