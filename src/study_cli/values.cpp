#include <charconv>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

// Whole numbers are decimal only, as they read: 010 is ten, and 0x10 is no number.
std::optional<std::int64_t> whole_number(std::string_view text) {
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> real_number(std::string_view text) {
    double value = 0.0;
    const auto [stop, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> number_of(std::string_view text, double /*kind*/) {
    return real_number(text);
}
std::optional<std::int64_t> number_of(std::string_view text, std::int64_t /*kind*/) {
    return whole_number(text);
}

// What is wrong with a part that is no number of the kind wanted.
template <typename T>
std::string not_a_number(std::string_view text) {
    T value{};
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range && stop == text.data() + text.size()) {
        return quoted_value(std::string(text)) + " is out of range";
    }
    if constexpr (std::is_floating_point_v<T>) {
        const bool read_whole = error == std::errc{} && stop == text.data() + text.size();
        return quoted_value(std::string(text)) +
               (read_whole ? " is not a finite number" : " is not a number");
    } else {
        return quoted_value(std::string(text)) + " is not a decimal whole number";
    }
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

template <typename T>
struct value_range {
    T start;
    T stop;
    T step;
};

// start, start + step, ... up to stop, the last within rounding of stop.
template <typename T>
std::string append_range(const value_range<T>& range, std::vector<T>& values) {
    if (range.stop < range.start) {
        return "stop below start";
    }
    const auto step = static_cast<double>(range.step);
    const double tolerance = std::is_floating_point_v<T> ? 1e-9 * step : 0.0;
    for (std::size_t i = 0;; ++i) {
        const double value = static_cast<double>(range.start) + static_cast<double>(i) * step;
        if (value > static_cast<double>(range.stop) + tolerance) {
            return {};
        }
        if (values.size() == max_list_values) {
            return "more than 10,000 values";
        }
        values.push_back(static_cast<T>(value));
    }
}

// One item of a list: a value, or a range start:stop:step.
template <typename T>
std::string append_item(std::string_view item, std::vector<T>& values) {
    const std::vector<std::string_view> parts = split_at(item, ':');
    if (parts.size() != 1 && parts.size() != 3) {
        return "a range is start:stop:step";
    }
    std::vector<T> numbers;
    for (const std::string_view part : parts) {
        const std::optional<T> number = number_of(part, T{});
        if (!number) {
            return not_a_number<T>(part);
        }
        numbers.push_back(*number);
    }
    if (parts.size() == 3) {
        if (!(numbers[2] > 0)) {
            return "step " + std::string(parts[2]);
        }
        return append_range(value_range<T>{numbers[0], numbers[1], numbers[2]}, values);
    }
    if (values.size() == max_list_values) {
        return "more than 10,000 values";
    }
    values.push_back(numbers[0]);
    return {};
}

// A fault that lies in the list's shape, not in one number, is shown with the list.
template <typename T>
parsed_values<T> parse_values(const std::string& text) {
    parsed_values<T> parsed;
    if (text.empty()) {
        parsed.error = "no value";
        return parsed;
    }
    for (const std::string_view item : list_items(text)) {
        parsed.error = item.empty() ? "an empty item" : append_item(item, parsed.values);
        if (!parsed.error.empty()) {
            if (!parsed.error.starts_with("'")) {
                parsed.error += " in " + quoted_value(text);
            }
            parsed.values.clear();
            return parsed;
        }
    }
    return parsed;
}

}  // namespace

std::vector<std::string_view> list_items(std::string_view text) {
    return split_at(text, ',');
}

bool names_same_file(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    // Through links and dots alike, also for files not written yet.
    namespace fs = std::filesystem;
    std::error_code error;
    const auto resolved = [&error](const std::string& path) {
        return fs::weakly_canonical(fs::absolute(path, error), error);
    };
    return a == b || resolved(a) == resolved(b);
}

std::string quoted_value(const std::string& text) {
    constexpr std::size_t readable = 40;
    std::string shown = text.size() > readable ? text.substr(0, readable - 3) + "..." : text;
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            c = '?';
        }
    }
    return "'" + shown + "'";
}

parsed_values<double> parse_real_values(const std::string& text) {
    return parse_values<double>(text);
}

parsed_values<std::int64_t> parse_whole_values(const std::string& text) {
    return parse_values<std::int64_t>(text);
}

}  // namespace sa
