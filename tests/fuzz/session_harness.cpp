#include "session_harness.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "console/console.hpp"

namespace {

// No single byte of input can make the program print more than a menu, a listing of a
// random solution or an annealing report, each far below this.
constexpr std::size_t output_per_input_byte = 1000;

struct output_budget {
    std::size_t left;
    std::string written;
};

ssize_t count_output(void* cookie, const char* buffer, std::size_t size) {
    auto* budget = static_cast<output_budget*>(cookie);
    if (size > budget->left) {
        std::fprintf(stderr, "session wrote more output than its input explains\n");
        std::abort();
    }
    budget->left -= size;
    budget->written.append(buffer, size);
    return static_cast<ssize_t>(size);
}

// FNV-1a: any change of the input gives other random draws.
std::uint32_t seed_from(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261U;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619U;
    }
    return hash;
}

}  // namespace

std::string run_session_bytes(const std::uint8_t* data, std::size_t size) {
    std::vector<char> input(data, data + size);
    output_budget budget{output_per_input_byte * (size + 1), {}};
    FILE* in = fmemopen(input.data(), input.size(), "r");
    FILE* out = fopencookie(&budget, "w", {nullptr, count_output, nullptr, nullptr});
    if (in == nullptr || out == nullptr) {
        std::abort();
    }
    const int status = sa::run_program(seed_from(data, size), {in, out});
    std::fclose(in);
    std::fclose(out);
    if (status != 0) {
        std::abort();
    }
    return budget.written;
}
