// The session in this process: how input is scanned, and what a known clock second prints.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "console/console.hpp"
#include "support/stdio_capture.hpp"

namespace {

TEST(MenuChoice, LeavesWhatFollowsTheDigitsUnread) {
    int value = -1;
    const auto scan = [&value](sa::terminal term) { sa::scan_integer(term, 0, 2, value); };
    auto session = test_support::with_terminal_rest("1 2 0\n", scan);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(session.unread_input, " 2 0\n");
    session = test_support::with_terminal_rest("7x\n1\n", scan);
    EXPECT_EQ(session.unread_input, "x\n1\n");
}

TEST(MenuChoice, NonNumberDiscardsTheRestOfItsLine) {
    int value = -1;
    sa::scanned result = sa::scanned::in_range;
    const auto scan = [&](sa::terminal term) { result = sa::scan_integer(term, 0, 2, value); };
    auto session = test_support::with_terminal_rest("+x 1 2\n0\n", scan);
    EXPECT_EQ(result, sa::scanned::not_an_integer);
    EXPECT_EQ(session.unread_input, "0\n");
    session = test_support::with_terminal_rest(std::string("\0\0 1\n2", 6), scan);
    EXPECT_EQ(result, sa::scanned::not_an_integer);
    EXPECT_EQ(session.unread_input, "2");
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Session, KnownSeedGivesTheRecordedSession) {
    const std::string expected = read_file(SA_TEST_DATA "/session_seed_20261207.txt");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(test_support::session_output(20261207, "1\n2\n2\n1\n2\n0\n"), expected);
}

TEST(Session, TheClockSecondChoosesTheStart) {
    // The x that the first 17 draws of each second's engine spell.
    const std::vector<std::string> starts = {"1.243555", "-0.416034", "-1.220850", "-1.089013",
                                             "0.768118", "-0.402423", "0.739523",  "0.896201"};
    for (std::uint32_t second = 1; second <= starts.size(); ++second) {
        const std::string output = test_support::session_output(second, "1\n0\n");
        EXPECT_NE(output.find("valor de x = " + starts[second - 1] + " \n"), std::string::npos)
            << output;
    }
}

}  // namespace
