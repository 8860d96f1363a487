#include <algorithm>
#include <cctype>

#include "console/console.hpp"

namespace sa {

namespace {

bool is_space(int c) {
    return c != EOF && std::isspace(c) != 0;
}
bool is_digit(int c) {
    return c != EOF && std::isdigit(c) != 0;
}

int first_non_space(std::FILE* in) {
    int c = std::getc(in);
    while (is_space(c)) {
        c = std::getc(in);
    }
    return c;
}

void discard_line(std::FILE* in, int c) {
    while (c != '\n' && c != EOF) {
        c = std::getc(in);
    }
}

// Reads the digits starting with `c`. Large magnitudes saturate far above any menu choice,
// so that no count of digits wraps around into range.
long long read_magnitude(std::FILE* in, int c) {
    constexpr long long saturated = 1LL << 40;
    long long magnitude = 0;
    while (is_digit(c)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), saturated);
        c = std::getc(in);
    }
    if (c != EOF) {
        std::ungetc(c, in);
    }
    return magnitude;
}

}  // namespace

scanned scan_integer(const terminal& term, int low, int high, int& value) {
    if (std::fflush(term.out) != 0) {
        return scanned::failed;
    }
    int c = first_non_space(term.in);
    if (c == EOF) {
        return std::ferror(term.in) != 0 ? scanned::failed : scanned::end_of_input;
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = std::getc(term.in);
    }
    if (!is_digit(c)) {
        discard_line(term.in, c);
        return scanned::not_an_integer;
    }
    const long long magnitude = read_magnitude(term.in, c);
    const long long number = negative ? -magnitude : magnitude;
    if (number < low || number > high) {
        return scanned::out_of_range;
    }
    value = static_cast<int>(number);
    return scanned::in_range;
}

void discard_next_char(const terminal& term) {
    std::fflush(term.out);
    static_cast<void>(std::getc(term.in));
}

}  // namespace sa
