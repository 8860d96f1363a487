#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "console/console.hpp"
#include "console/input.hpp"
#include "support/menu_text.hpp"
#include "support/stdio_capture.hpp"

namespace {

using test_support::menus;

int choice_for(const std::string& input, std::string& output) {
    int choice = -1;
    output = test_support::with_stdio(input, [&] { choice = sa::read_menu_choice(); });
    return choice;
}

TEST(MenuChoice, AcceptsZeroToTwoWithSignsAndLeadingSpace) {
    std::string output;
    EXPECT_EQ(choice_for("1\n", output), 1);
    EXPECT_EQ(output, menus(1));
    EXPECT_EQ(choice_for(" \t\r\n 2", output), 2);
    EXPECT_EQ(choice_for("+0\n", output), 0);
    EXPECT_EQ(choice_for("-0\n", output), 0);
    EXPECT_EQ(choice_for("002\n", output), 2);
}

TEST(MenuChoice, AnythingElseShowsTheWholeMenuAgain) {
    std::string output;
    const std::string bad = "3\n-1\nabc\n+x\n-\n99999999999999999999\n4294967297\n-4294967295\n";
    EXPECT_EQ(choice_for(bad + "1\n", output), 1);
    EXPECT_EQ(output, menus(9));
}

TEST(MenuChoice, EndOfInputLeaves) {
    std::string output;
    EXPECT_EQ(choice_for("", output), 0);
    EXPECT_EQ(output, menus(1));
    EXPECT_EQ(choice_for("   \n", output), 0);
    EXPECT_EQ(choice_for("abc", output), 0);
    EXPECT_EQ(output, menus(2));
}

TEST(MenuChoice, LeavesWhatFollowsTheDigitsUnread) {
    int value = -1;
    auto session = test_support::with_stdio_rest("1 2 0\n", [&] { sa::scan_integer(0, 2, value); });
    EXPECT_EQ(value, 1);
    EXPECT_EQ(session.unread_input, " 2 0\n");
    session = test_support::with_stdio_rest("7x\n1\n", [&] { sa::scan_integer(0, 2, value); });
    EXPECT_EQ(session.unread_input, "x\n1\n");
}

TEST(MenuChoice, NonNumberDiscardsTheRestOfItsLine) {
    int value = -1;
    sa::scanned result = sa::scanned::in_range;
    auto session = test_support::with_stdio_rest("+x 1 2\n0\n",
                                                 [&] { result = sa::scan_integer(0, 2, value); });
    EXPECT_EQ(result, sa::scanned::not_an_integer);
    EXPECT_EQ(session.unread_input, "0\n");
    std::string nul_line("\0\0 1\n2", 6);
    session =
        test_support::with_stdio_rest(nul_line, [&] { result = sa::scan_integer(0, 2, value); });
    EXPECT_EQ(result, sa::scanned::not_an_integer);
    EXPECT_EQ(session.unread_input, "2");
}

TEST(Session, OptionTwoWithoutSolutionShowsTheGateAndEatsOneCharacter) {
    // The gate eats 'x', so "0" is read as the next choice.
    std::string output = test_support::with_stdio("2x0", [] { sa::run_program(1); });
    EXPECT_EQ(output, menus(1) + test_support::gate_text + menus(1));
    // At end of input the gate reads nothing and the session ends.
    output = test_support::with_stdio("2", [] { sa::run_program(1); });
    EXPECT_EQ(output, menus(1) + test_support::gate_text + menus(1));
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Session, KnownSeedGivesTheRecordedSession) {
    const std::string expected = read_file(SA_TEST_DATA "/session_seed_20261207.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(test_support::with_stdio("1\n2\n2\n1\n2\n0\n", [] { sa::run_program(20261207); }),
              expected);
}

TEST(Session, TheClockSecondChoosesTheStart) {
    // The x that the first 17 draws of each second's engine spell.
    const std::vector<std::string> starts = {"1.243555", "-0.416034", "-1.220850", "-1.089013",
                                             "0.768118", "-0.402423", "0.739523",  "0.896201"};
    for (std::uint32_t second = 1; second <= starts.size(); ++second) {
        const std::string output =
            test_support::with_stdio("1\n0\n", [second] { sa::run_program(second); });
        EXPECT_NE(output.find("valor de x = " + starts[second - 1] + " \n"), std::string::npos)
            << output;
    }
}

}  // namespace
