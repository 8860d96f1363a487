#include "support/stdio_capture.hpp"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace test_support {

captured_session with_stdio_rest(const std::string& input, const std::function<void()>& body) {
    std::string source = input;
    FILE* in = fmemopen(source.data(), source.size(), "r");
    char* buffer = nullptr;
    std::size_t length = 0;
    FILE* out = open_memstream(&buffer, &length);
    if (in == nullptr || out == nullptr) {
        throw std::runtime_error("cannot open memory streams");
    }
    std::fflush(stdout);
    FILE* const saved_in = stdin;
    FILE* const saved_out = stdout;
    stdin = in;
    stdout = out;
    body();
    stdin = saved_in;
    stdout = saved_out;

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

std::string with_stdio(const std::string& input, const std::function<void()>& body) {
    return with_stdio_rest(input, body).output;
}

}  // namespace test_support
