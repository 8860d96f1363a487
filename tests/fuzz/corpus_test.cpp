// Replays the fuzzing corpus, and every input that once made the fuzzer fail, as sessions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "session_harness.hpp"

namespace {

TEST(FuzzCorpus, EverySessionEnds) {
    int replayed = 0;
    for (const char* folder : {SA_FUZZ_DIR "/corpus", SA_FUZZ_DIR "/regressions"}) {
        if (!std::filesystem::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>()};
            run_session_bytes(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
