#include "text/text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>

namespace sa {

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), pattern, again);
    va_end(again);
    text.pop_back();
    return text;
}

namespace {

template <typename T>
std::string shortest_text(T value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

}  // namespace

std::string shortest(float value) {
    return shortest_text(value);
}

std::string shortest(double widened_float) {
    return shortest(static_cast<float>(widened_float));
}

std::string shortest_double(double value) {
    return shortest_text(value);
}

std::string count_of(std::int64_t count, const char* singular, const char* plural) {
    return format("%lld %s", static_cast<long long>(count), count == 1 ? singular : plural);
}

std::string with_thousands(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

std::string printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            c = '?';
        }
    }
    return shown;
}

std::string quoted_value(std::string_view text) {
    constexpr std::size_t readable = 40;
    const std::string cut = text.size() > readable
                                ? std::string(text.substr(0, readable - 3)) + "..."
                                : std::string(text);
    // Built by appending: GCC 12 warns wrongly about a literal + std::string at -O3.
    std::string quoted = "'";
    quoted += printable(cut);
    quoted += '\'';
    return quoted;
}

std::string listed(const std::vector<std::string>& words, const char* last) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += i == 0 ? "" : i + 1 == words.size() ? last : ", ";
        text += words[i];
    }
    return text;
}

}  // namespace sa
