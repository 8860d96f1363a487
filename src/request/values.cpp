#include <algorithm>
#include <charconv>
#include <cmath>

#include "request/request.hpp"

// The grammar of a field's values, the same for every front end: a value, or a list of values
// and ranges start:stop:step.

namespace sa {

namespace {

// Whether the whole text reads as a number. Whole numbers are decimal only, as they read: 010
// is ten, and 0x10 is no number.
template <typename T>
bool reads_whole(std::string_view text, T& value) {
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc{} && stop == text.data() + text.size();
}

// A real as from_chars reads it, with '.' for its decimal point; "" where it holds a '.'
// that is not its decimal point, so that it reads as no number.
std::string with_decimal_point(std::string_view part, const number_style& style) {
    std::string text(part);
    if (style.decimal_point != '.') {
        if (text.find('.') != std::string::npos) {
            return "";
        }
        std::replace(text.begin(), text.end(), style.decimal_point, '.');
    }
    return text;
}

// The number a part stands for, written in `style`.
std::optional<std::int64_t> number_of(std::string_view part, const number_style& /*style*/,
                                      std::int64_t /*kind*/) {
    std::int64_t value = 0;
    return reads_whole(part, value) ? std::optional(value) : std::nullopt;
}

std::optional<double> number_of(std::string_view part, const number_style& style, double /*kind*/) {
    double value = 0.0;
    const bool read = reads_whole(with_decimal_point(part, style), value);
    return read && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

// What is wrong with a part that is no number of the kind wanted.
template <typename T>
fault number_fault(std::string_view part, const number_style& style) {
    constexpr bool real = std::is_floating_point_v<T>;
    const std::string text = real ? with_decimal_point(part, style) : std::string(part);
    T value{};
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool read_whole = !text.empty() && stop == text.data() + text.size();
    fault_kind kind = real ? fault_kind::not_a_number : fault_kind::not_whole;
    if (error == std::errc::result_out_of_range && read_whole) {
        kind = fault_kind::unrepresentable;
    } else if (real && error == std::errc{} && read_whole) {
        kind = fault_kind::not_finite;
    }
    return {kind, std::nullopt, std::string(part), quoted_value(part), ""};
}

std::vector<std::string_view> split_at(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// A fault that lies in the list's shape, not in one number, is shown with the list.
fault shape_fault(fault_kind kind, std::string_view list, std::string value = {}) {
    return {kind, std::nullopt, std::move(value), quoted_value(list), ""};
}

fault too_many(std::string_view list) {
    fault many = shape_fault(fault_kind::too_many_values, list);
    many.limit = "10,000";
    return many;
}

template <typename T>
struct value_range {
    T start;
    T stop;
    T step;
};

// start, start + step, ... up to stop, the last within rounding of stop.
template <typename T>
std::optional<fault> append_range(const value_range<T>& range, std::string_view list,
                                  std::vector<T>& values) {
    if (range.stop < range.start) {
        return shape_fault(fault_kind::stop_below_start, list);
    }
    const auto step = static_cast<double>(range.step);
    const double tolerance = std::is_floating_point_v<T> ? 1e-9 * step : 0.0;
    for (std::size_t i = 0;; ++i) {
        const double value = static_cast<double>(range.start) + static_cast<double>(i) * step;
        if (value > static_cast<double>(range.stop) + tolerance) {
            return std::nullopt;
        }
        if (values.size() == max_list_values) {
            return too_many(list);
        }
        values.push_back(static_cast<T>(value));
    }
}

// One item of a list: a value, or a range start:stop:step.
template <typename T>
std::optional<fault> append_item(std::string_view item, const number_style& style,
                                 std::string_view list, std::vector<T>& values) {
    const std::vector<std::string_view> parts = split_at(item, ':');
    if (parts.size() != 1 && parts.size() != 3) {
        return shape_fault(fault_kind::range_shape, list);
    }
    std::vector<T> numbers;
    for (const std::string_view part : parts) {
        const std::optional<T> number = number_of(part, style, T{});
        if (!number) {
            return number_fault<T>(part, style);
        }
        numbers.push_back(*number);
    }
    if (parts.size() == 3) {
        if (!(numbers[2] > 0)) {
            return shape_fault(fault_kind::bad_step, list, std::string(parts[2]));
        }
        return append_range(value_range<T>{numbers[0], numbers[1], numbers[2]}, list, values);
    }
    if (values.size() == max_list_values) {
        return too_many(list);
    }
    values.push_back(numbers[0]);
    return std::nullopt;
}

template <typename T>
expected<std::vector<T>> read_values(std::string_view text, const number_style& style) {
    if (text.empty()) {
        return fault{fault_kind::missing_value, std::nullopt, "", "", ""};
    }
    std::vector<T> values;
    for (const std::string_view item : list_items(text, style)) {
        if (item.empty()) {
            return shape_fault(fault_kind::empty_item, text);
        }
        if (std::optional<fault> wrong = append_item(item, style, text, values)) {
            return *wrong;
        }
    }
    return values;
}

}  // namespace

std::vector<std::string_view> list_items(std::string_view text, const number_style& style) {
    return split_at(text, style.list_separator);
}

expected<std::vector<double>> read_reals(std::string_view text, const number_style& style) {
    return read_values<double>(text, style);
}

expected<std::vector<std::int64_t>> read_wholes(std::string_view text, const number_style& style) {
    return read_values<std::int64_t>(text, style);
}

}  // namespace sa
