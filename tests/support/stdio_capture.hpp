#pragma once

#include <functional>
#include <string>

#include "console/console.hpp"

namespace test_support {

// What a session printed, and what it left unread of its input.
struct captured_session {
    std::string output;
    std::string unread_input;
};

// Runs `body` with a terminal that reads `input` from memory and prints into memory.
captured_session with_terminal_rest(const std::string& input,
                                    const std::function<void(sa::terminal)>& body);

// What `body` printed.
std::string with_terminal(const std::string& input, const std::function<void(sa::terminal)>& body);

// What a whole session seeded with `seed` prints for `input`.
std::string session_output(std::uint32_t seed, const std::string& input);

}  // namespace test_support
