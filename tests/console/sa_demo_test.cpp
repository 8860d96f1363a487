// End-to-end checks on the built program, driven through pipes as a user or a script would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <regex>

#include "console/console.hpp"
#include "support/menu_text.hpp"
#include "support/process.hpp"
#include "support/stdio_capture.hpp"

namespace {

using test_support::menus;
using test_support::process_result;
using namespace std::chrono_literals;

process_result run_sa_demo(const std::string& input) {
    return test_support::run_program_with_input({SA_DEMO_PATH}, input);
}

void expect_clean_exit(const process_result& result) {
    EXPECT_FALSE(result.timed_out);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exit_status, 0);
}

// The same session replayed in this process for every clock value the program may have read.
bool matches_some_seed(const std::string& input, const std::string& output, std::time_t from,
                       std::time_t to) {
    for (std::time_t seed = from; seed <= to; ++seed) {
        if (test_support::with_stdio(input, [seed] { run_program(seed); }) == output) {
            return true;
        }
    }
    return false;
}

TEST(SaDemo, OptionOneListsDigitsXAndValue) {
    const auto result = run_sa_demo("1\n0\n");
    expect_clean_exit(result);
    std::string listing;
    for (int i = 0; i < 17; ++i) {
        listing += "v\\[" + std::to_string(i) + "\\]=[01]\n";
    }
    const std::string menu_pattern = std::regex_replace(menus(1), std::regex(R"([*.])"), R"(\$&)");
    const std::regex session(menu_pattern + listing +
                             "Solucao aleatoria:\n"
                             "valor de x = -?[0-2]\\.[0-9]{6} \n"
                             "funcao objetivo = [01]\\.[0-9]{6} \n" +
                             menu_pattern);
    EXPECT_TRUE(std::regex_match(result.output, session)) << result.output;
}

TEST(SaDemo, WholeSessionIsTheOneItsClockSecondDetermines) {
    const std::string input = "1\n2\n2\n1\n2\n0\n";
    const std::time_t before = std::time(nullptr);
    const auto result = run_sa_demo(input);
    const std::time_t after = std::time(nullptr);
    expect_clean_exit(result);
    EXPECT_TRUE(matches_some_seed(input, result.output, before, after)) << result.output;
}

TEST(SaDemo, BadChoicesOnlyShowTheMenuAgain) {
    const auto result = run_sa_demo("3\n-1\nabc\n12345678901234567890\n0\n");
    expect_clean_exit(result);
    EXPECT_EQ(result.output, menus(5));
}

TEST(SaDemo, GateMessageBeforeAnySolution) {
    const auto result = run_sa_demo("2\n0\n");
    expect_clean_exit(result);
    EXPECT_EQ(result.output, menus(1) + test_support::gate_text + menus(1));
}

TEST(SaDemo, EndOfInputEndsTheSession) {
    for (const std::string input : {"", "1", "\n\n", "2", "ab", "1\n2"}) {
        const auto result = run_sa_demo(input);
        expect_clean_exit(result);
        EXPECT_TRUE(result.output.ends_with(test_support::menu_text)) << '"' << input << '"';
    }
}

TEST(SaDemo, PromptArrivesBeforeAnyInput) {
    test_support::child_process child([] {
        execl(SA_DEMO_PATH, SA_DEMO_PATH, static_cast<char*>(nullptr));
        return 127;
    });
    ASSERT_TRUE(child.read_until("Escolha: ", 10s)) << child.output();
    child.write_input("2\n");
    ASSERT_TRUE(child.read_until("Escolha: ", 10s)) << child.output();
    EXPECT_EQ(child.output(), menus(1) + test_support::gate_text + menus(1));
    const auto result = child.communicate("0\n", 10s);
    expect_clean_exit(result);
}

}  // namespace
