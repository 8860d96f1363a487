#pragma once

#include <functional>
#include <string>

namespace test_support {

// Runs `body` in this process with standard input reading `input` and standard output
// captured, and returns what it printed. glibc lets stdin and stdout be reassigned.
std::string with_stdio(const std::string& input, const std::function<void()>& body);

// What is left unread on the substituted standard input after `body` ran.
struct captured_session {
    std::string output;
    std::string unread_input;
};
captured_session with_stdio_rest(const std::string& input, const std::function<void()>& body);

}  // namespace test_support
