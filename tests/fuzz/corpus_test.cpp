// Replays the fuzzing corpus, and every input that once made the fuzzer fail, as sessions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "session_harness.hpp"
#include "support/menu_text.hpp"

namespace {

// Every session opens with the menu and ends at its prompt, where the end of the input or a
// choice of 0 closes it; the harness has checked its status and the size of its output.
TEST(FuzzCorpus, EverySessionOpensWithTheMenuAndEndsAtItsPrompt) {
    int replayed = 0;
    for (const char* folder : {SA_FUZZ_DIR "/corpus", SA_FUZZ_DIR "/regressions"}) {
        if (!std::filesystem::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                                  std::istreambuf_iterator<char>()};
            const std::string output = run_session_bytes(bytes.data(), bytes.size());
            EXPECT_TRUE(output.starts_with(test_support::menu_text)) << entry.path();
            EXPECT_TRUE(output.ends_with(test_support::menu_text)) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 8);  // the seed corpus alone holds eight sessions
}

}  // namespace
