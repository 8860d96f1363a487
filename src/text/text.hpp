#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Texts that every front end and output shares: numbers as the user would type them, counts in
// words, values quoted safely for a message, and words listed for prose.

namespace sa {

// printf into a std::string.
__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...);

// The shortest text that reads back as the same float, as the user would have typed it.
std::string shortest(float value);
std::string shortest(double widened_float);

// The shortest text that reads back as the same double.
std::string shortest_double(double value);

// "1 trial", "2 trials".
std::string count_of(std::int64_t count, const char* singular, const char* plural);

// 10000 as "10,000".
std::string with_thousands(std::size_t count);

// `text` with each control character shown as '?', so that it cannot work on a terminal.
std::string printable(std::string_view text);

// `text` in single quotes for a message, cut to a readable length, control characters shown
// as '?'.
std::string quoted_value(std::string_view text);

// "a", "a or b", "a, b or c": words listed for prose, `last` before the last of them.
std::string listed(const std::vector<std::string>& words, const char* last);

}  // namespace sa
