#include <algorithm>
#include <array>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

#include "request/request.hpp"

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

namespace {

// A law with a cooling factor; a law with a number of levels.
template <typename Law>
concept with_alpha = requires(const Law& law) {
    law.alpha;
};
template <typename Law>
concept with_levels = requires(const Law& law) {
    law.levels;
};

template <typename Value>
using law_type = std::remove_cvref_t<Value>;

}  // namespace

bool takes_alpha(const cooling& law) {
    return std::visit([](const auto& some_law) { return with_alpha<law_type<decltype(some_law)>>; },
                      law);
}

bool takes_levels(const cooling& law) {
    return std::visit(
        [](const auto& some_law) { return with_levels<law_type<decltype(some_law)>>; }, law);
}

double alpha_of(const cooling& law) {
    return std::visit(
        [](const auto& some_law) {
            if constexpr (with_alpha<law_type<decltype(some_law)>>) {
                return some_law.alpha;
            } else {
                return 0.0;
            }
        },
        law);
}

cooling law_with(cooling law, double alpha, int levels) {
    std::visit(
        [alpha, levels](auto& some_law) {
            if constexpr (with_alpha<law_type<decltype(some_law)>>) {
                some_law.alpha = alpha;
            }
            if constexpr (with_levels<law_type<decltype(some_law)>>) {
                some_law.levels = levels;
            }
        },
        law);
    return law;
}

std::vector<cooling> laws_taking(bool (*takes)(const cooling&), bool taking) {
    std::vector<cooling> laws = every_law();
    std::erase_if(laws, [takes, taking](const cooling& law) { return takes(law) != taking; });
    return laws;
}

std::vector<std::string> spelled(const std::vector<cooling>& laws,
                                 const char* law_spelling::*word) {
    std::vector<std::string> words(laws.size());
    std::transform(laws.begin(), laws.end(), words.begin(),
                   [word](const cooling& law) { return spelling_of(law).*word; });
    return words;
}

}  // namespace sa
