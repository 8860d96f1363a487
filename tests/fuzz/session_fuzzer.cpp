// libFuzzer entry: arbitrary bytes as the standard input of a whole session.
#include "session_harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static_cast<void>(run_session_bytes(data, size));
    return 0;
}
