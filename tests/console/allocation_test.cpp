// A session whose memory runs out: the allocation functions of this test program can be told
// to fail, as an exhausted heap would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "console/console.hpp"
#include "support/menu_text.hpp"
#include "support/stdio_capture.hpp"

namespace {

bool allocations_fail = false;

}  // namespace

void* operator new(std::size_t size) {
    void* memory = allocations_fail ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}

namespace {

TEST(Allocation, FailureEndsTheSessionWithTheMessageAndStatusOne) {
    int status = -1;
    const std::string output = test_support::with_terminal("1\n0\n", [&status](sa::terminal term) {
        allocations_fail = true;
        status = sa::run_program(1, term);
        allocations_fail = false;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, test_support::menu_text + "Falta memoria para alocar o vetor de ponteiros");
}

}  // namespace
