#pragma once

// The C++ library of Debian's emscripten (libc++ 13) lacks C++20 pieces that the libraries
// use: std::bit_cast, std::make_unique_for_overwrite of an array, std::ranges::distance of a
// range, and std::to_chars and std::from_chars for floating point. The web build force-includes
// this header into every source, so that src/ compiles unchanged; each supplies what the standard
// says for the calls made there. Native builds never see it.

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>

namespace std {  // NOLINT(cert-dcl58-cpp): filling in the standard library itself

template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

template <class Array>
requires is_unbounded_array_v<Array> unique_ptr<Array> make_unique_for_overwrite(size_t size) {
    return unique_ptr<Array>(new remove_extent_t<Array>[size]);
}

namespace ranges {

template <class Range>
constexpr ptrdiff_t distance(Range&& range) {
    ptrdiff_t count = 0;
    for (auto it = range.begin(); !(it == range.end()); ++it) {
        ++count;
    }
    return count;
}

}  // namespace ranges

namespace shortest_text {

// A number's decimal digits and the power of ten of the first: 1.25e-3 is {125, 3, -3}.
struct decimal {
    uint64_t digits;
    int count;
    int exponent;
};

inline string scientific(const decimal& d) {
    string text = to_string(d.digits);
    if (text.size() > 1) {
        text.insert(1, ".");
    }
    char power[8];
    snprintf(power, sizeof power, "e%c%02d", d.exponent < 0 ? '-' : '+', abs(d.exponent));
    return text + power;
}

inline string fixed(const decimal& d) {
    const string digits = to_string(d.digits);
    const int count = static_cast<int>(digits.size());
    if (d.exponent < 0) {
        return "0." + string(static_cast<size_t>(-d.exponent - 1), '0') + digits;
    }
    if (count <= d.exponent + 1) {
        return digits + string(static_cast<size_t>(d.exponent + 1 - count), '0');
    }
    return digits.substr(0, static_cast<size_t>(d.exponent + 1)) + "." +
           digits.substr(static_cast<size_t>(d.exponent + 1));
}

inline float read(const string& text, float /*kind*/) {
    return strtof(text.c_str(), nullptr);
}
inline double read(const string& text, double /*kind*/) {
    return strtod(text.c_str(), nullptr);
}

// The nearest decimal of `count` significant digits to a positive finite value.
template <class T>
decimal nearest(T value, int count) {
    char text[40];
    snprintf(text, sizeof text, "%.*e", count - 1, static_cast<double>(value));
    decimal d{0, count, 0};
    const char* c = text;
    for (; *c != 'e'; ++c) {
        if (*c != '.') {
            d.digits = d.digits * 10 + static_cast<uint64_t>(*c - '0');
        }
    }
    d.exponent = atoi(c + 1);
    return d;
}

// The decimal one unit further up or down in its last digit, as many digits kept.
inline decimal step(decimal d, int direction) {
    uint64_t lowest = 1;
    for (int i = 1; i < d.count; ++i) {
        lowest *= 10;
    }
    if (direction > 0 && ++d.digits == 10 * lowest) {
        d.digits = lowest;
        ++d.exponent;
    } else if (direction < 0 && d.digits-- == lowest) {
        d.digits = 10 * lowest - 1;
        --d.exponent;
    }
    return d;
}

// The fewest digits that read back as the value; of those, the nearest. The nearest decimal
// of a length can miss where a neighbour reads back: beside a power of two, the values that
// round to it reach less far below it than above.
template <class T>
decimal shortest(T value) {
    for (int count = 1;; ++count) {
        const decimal d = nearest(value, count);
        for (const decimal& candidate : {d, step(d, -1), step(d, 1)}) {
            if (read(scientific(candidate), value) == value) {
                return candidate;
            }
        }
    }
}

// The shortest text, fixed or scientific, fixed on a tie.
template <class T>
to_chars_result write(char* first, char* last, T value) {
    string text;
    if (value == 0 || value != value || value - value != 0) {  // zero, not a number, infinite
        char plain[8];
        snprintf(plain, sizeof plain, "%g", static_cast<double>(value));
        text = plain;
    } else {
        const decimal d = shortest(value < 0 ? -value : value);
        const string as_fixed = fixed(d);
        const string as_scientific = scientific(d);
        text = string(value < 0 ? "-" : "") +
               (as_fixed.size() <= as_scientific.size() ? as_fixed : as_scientific);
    }
    if (static_cast<size_t>(last - first) < text.size()) {
        return {last, errc::value_too_large};
    }
    memcpy(first, text.data(), text.size());
    return {first + text.size(), errc{}};
}

// A decimal number as from_chars takes it: strtod's grammar less the leading white space, the
// plus sign and the hexadecimal digits, which from_chars refuses; `fixed` takes no exponent.
template <class T>
from_chars_result read_decimal(const char* first, const char* last, T& value, chars_format format) {
    const char* body = first != last && *first == '-' ? first + 1 : first;
    const auto starts_number = [](char c) {
        return c == '.' || isdigit(static_cast<unsigned char>(c)) != 0 ||
               isalpha(static_cast<unsigned char>(c)) != 0;
    };
    if (body == last || !starts_number(*body)) {
        return {first, errc::invalid_argument};
    }
    string text(first, last);
    if (last - body >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        text.resize(static_cast<size_t>(body + 1 - first));
    }
    if (format == chars_format::fixed) {
        text.resize(min(text.size(), text.find_first_of("eE")));
    }
    char* end = nullptr;
    errno = 0;
    const T parsed = sizeof(T) == sizeof(float) ? static_cast<T>(strtof(text.c_str(), &end))
                                                : static_cast<T>(strtod(text.c_str(), &end));
    if (end == text.c_str()) {
        return {first, errc::invalid_argument};
    }
    const char* stop = first + (end - text.c_str());
    if (format == chars_format::scientific &&
        string(first, stop).find_first_of("eE") == string::npos) {
        return {first, errc::invalid_argument};
    }
    // strtod flags a subnormal result too; from_chars refuses only what rounds to 0 or overflows.
    if (errno == ERANGE && (parsed == 0 || parsed - parsed != 0)) {
        return {stop, errc::result_out_of_range};
    }
    value = parsed;
    return {stop, errc{}};
}

}  // namespace shortest_text

inline to_chars_result to_chars(char* first, char* last, float value) {
    return shortest_text::write(first, last, value);
}
inline to_chars_result to_chars(char* first, char* last, double value) {
    return shortest_text::write(first, last, value);
}

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format format = chars_format::general) {
    return shortest_text::read_decimal(first, last, value, format);
}
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general) {
    return shortest_text::read_decimal(first, last, value, format);
}

}  // namespace std
