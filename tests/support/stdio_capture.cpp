#include "support/stdio_capture.hpp"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace test_support {

captured_session with_terminal_rest(const std::string& input,
                                    const std::function<void(sa::terminal)>& body) {
    std::string source = input;
    FILE* in = fmemopen(source.data(), source.size(), "r");
    char* buffer = nullptr;
    std::size_t length = 0;
    FILE* out = open_memstream(&buffer, &length);
    if (in == nullptr || out == nullptr) {
        throw std::runtime_error("cannot open memory streams");
    }
    body({in, out});
    captured_session session;
    for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) {
        session.unread_input.push_back(static_cast<char>(c));
    }
    std::fclose(in);
    std::fclose(out);
    session.output.assign(buffer, length);
    std::free(buffer);
    return session;
}

std::string with_terminal(const std::string& input, const std::function<void(sa::terminal)>& body) {
    return with_terminal_rest(input, body).output;
}

std::string session_output(std::uint32_t seed, const std::string& input) {
    return with_terminal(input, [seed](sa::terminal term) { sa::run_program(seed, term); });
}

}  // namespace test_support
