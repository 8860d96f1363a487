#include "console/input.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sa {

namespace {

bool is_space(int c) {
    return c != EOF && std::isspace(c) != 0;
}
bool is_digit(int c) {
    return c != EOF && std::isdigit(c) != 0;
}

int first_non_space() {
    int c = std::getchar();
    while (is_space(c)) {
        c = std::getchar();
    }
    return c;
}

void discard_line(int c) {
    while (c != '\n' && c != EOF) {
        c = std::getchar();
    }
}

// Reads the digits starting with `c`. Large magnitudes saturate far above any menu choice,
// so that no count of digits wraps around into range.
long long read_magnitude(int c) {
    constexpr long long saturated = 1LL << 40;
    long long magnitude = 0;
    while (is_digit(c)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), saturated);
        c = std::getchar();
    }
    if (c != EOF) {
        std::ungetc(c, stdin);
    }
    return magnitude;
}

}  // namespace

scanned scan_integer(int low, int high, int& value) {
    std::fflush(stdout);
    int c = first_non_space();
    if (c == EOF) {
        return scanned::end_of_input;
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = std::getchar();
    }
    if (!is_digit(c)) {
        discard_line(c);
        return scanned::not_an_integer;
    }
    const long long magnitude = read_magnitude(c);
    const long long number = negative ? -magnitude : magnitude;
    if (number < low || number > high) {
        return scanned::out_of_range;
    }
    value = static_cast<int>(number);
    return scanned::in_range;
}

void discard_next_char() {
    std::fflush(stdout);
    static_cast<void>(std::getchar());
}

}  // namespace sa
