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

using test_support::menu_text;
using test_support::menus;
using test_support::process_result;
using namespace std::chrono_literals;

const std::string report_pattern =
    "Solucao inicial: fo corrente = [01]\\.[0-9]{6}   valor de y = -?[0-2]\\.[0-9]{6} \n"
    "\\*{9} Melhor Solucao obtida pelo SA \\*{14} \n"
    "valor de x = -?[0-2]\\.[0-9]{6} \n"
    "funcao objetivo = [01]\\.[0-9]{6} \n"
    "Num\\. max\\. de solucoes analisadas = 1816 \n"
    "\\*{54} \n";

const std::string report_then_menu = std::string(54, '*') + " \n" + menu_text;

process_result run_sa_demo(const std::string& input) {
    return test_support::run_program_with_input({SA_DEMO_PATH}, input);
}

void expect_clean_exit(const process_result& result) {
    EXPECT_FALSE(result.timed_out);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exit_status, 0);
}

// Runs the program and checks that it ended cleanly and printed exactly the session that
// its clock second determines: the session is replayed in this process for every second
// the program may have read.
process_result run_and_replay(const std::string& input) {
    const std::time_t before = std::time(nullptr);
    const auto result = run_sa_demo(input);
    const std::time_t after = std::time(nullptr);
    expect_clean_exit(result);
    bool replayed = false;
    for (std::time_t seed = before; seed <= after && !replayed; ++seed) {
        const auto second = static_cast<std::uint32_t>(seed);
        replayed = test_support::session_output(second, input) == result.output;
    }
    EXPECT_TRUE(replayed) << "input of " << input.size() << " bytes gave:\n" << result.output;
    return result;
}

// The numbers printed after `label = `, in order.
std::vector<std::string> printed_values(const std::string& output, const std::string& label) {
    const std::regex line(label + " = (-?[0-9]+\\.[0-9]{6}) ");
    std::vector<std::string> values;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it) {
        values.push_back((*it)[1]);
    }
    return values;
}

long count_matches(const std::string& output, const std::string& pattern) {
    const std::regex expression(pattern);
    return std::distance(std::sregex_iterator(output.begin(), output.end(), expression),
                         std::sregex_iterator());
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

TEST(SaDemo, AnswersHelpAndVersionAndRefusesOtherArguments) {
    auto result = test_support::run_program_with_input({SA_DEMO_PATH, "--help"}, "");
    expect_clean_exit(result);
    EXPECT_TRUE(result.output.starts_with("Usage: sa_demo [--help | --version]\n"))
        << result.output;
    EXPECT_NE(result.output.find("standard input"), std::string::npos);
    result = test_support::run_program_with_input({SA_DEMO_PATH, "--version"}, "");
    expect_clean_exit(result);
    EXPECT_EQ(result.output, "sa_demo " SA_DEMO_VERSION "\n");
    for (const char* bad : {"--bogus", "-h", "1"}) {
        // Standard error is sent to the pipe; nothing else is printed and no menu starts.
        result = test_support::run_program_with_input(
            {"/bin/sh", "-c", "exec \"$0\" \"$1\" 2>&1", SA_DEMO_PATH, bad}, "0\n");
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.output, std::string("sa_demo: unknown argument '") + bad +
                                     "' (usage: sa_demo [--help | --version])\n");
    }
}

// Sessions whose output the draws do not touch: every one is exactly menus and the gate.
TEST(SaDemo, ChoicesGateAndEndOfInput) {
    using test_support::gate_text;
    const std::string megabyte_line(1 << 20, 'a');
    // -000...01: built in place, since GCC's -Wrestrict misreads "-" + std::string at -O3.
    std::string long_negative(10'002, '0');
    long_negative.front() = '-';
    long_negative.back() = '1';
    struct session_case {
        const char* what;
        std::string input;
        std::string output;
    };
    const std::vector<session_case> cases = {
        {"end of input at once", "", menus(1)},
        {"only white space", "   \n", menus(1)},
        {"text, then end of input", "abc", menus(2)},
        {"0 with a sign", "+0\n", menus(1)},
        {"-0", "-0\n", menus(1)},
        {"leading white space and zeros", " \t\r\n 002x0", menus(1) + gate_text + menus(1)},
        {"out of range, signs without digits, huge numbers",
         "3\n-1\nabc\n+x\n-\n99999999999999999999\n4294967297\n-4294967295\n0\n", menus(9)},
        {"a megabyte line", megabyte_line + "\n0\n", menus(2)},
        {"a choice on a junk line goes with it", megabyte_line + " 0\n", menus(2)},
        {"NUL bytes", std::string("\0\0\0 1\n0\n", 8), menus(2)},
        {"bytes above 127", "\x80\xff\x01\n0\n", menus(2)},
        {"ten thousand digits", std::string(10'000, '9') + "\n0\n", menus(2)},
        {"a long negative number", long_negative + "\n0\n", menus(2)},
        {"2 before any solution", "2\n0\n", menus(1) + gate_text + menus(1)},
        {"the gate eats one character", "2x0", menus(1) + gate_text + menus(1)},
        {"the gate at end of input", "2", menus(1) + gate_text + menus(1)},
    };
    for (const session_case& test : cases) {
        const auto result = run_sa_demo(test.input);
        expect_clean_exit(result);
        EXPECT_EQ(result.output, test.output) << test.what;
    }
}

// A session whose output cannot be written, or whose input cannot be read, fails with one line
// on standard error, never with status 0. Standard error is sent to the test's pipe.
TEST(SaDemo, FailedReadsAndWritesGiveStatusOne) {
    struct io_case {
        const char* redirection;
        const char* arguments;
        const char* message;
    };
    for (const io_case& test : {
             io_case{"2>&1 >/dev/full", "",
                     "cannot write standard output: No space left on device"},
             io_case{"2>&1 >&-", "", "cannot write standard output: Bad file descriptor"},
             io_case{"2>&1 >/dev/full", "--help", "cannot write standard output: No space left"},
             io_case{"2>&1 >&-", "--version", "cannot write standard output: Bad file descriptor"},
             io_case{"2>&1 <&-", "", "cannot read standard input: Bad file descriptor"},
             io_case{"2>&1 </", "", "cannot read standard input: Is a directory"},
         }) {
        const std::string script = std::string("exec \"$0\" $1 ") + test.redirection;
        const auto result = test_support::run_program_with_input(
            {"/bin/sh", "-c", script, SA_DEMO_PATH, test.arguments}, "1\n2\n0\n");
        EXPECT_EQ(result.exit_status, 1) << test.redirection << ' ' << test.arguments;
        EXPECT_NE(result.output.find(std::string("sa_demo: ") + test.message), std::string::npos)
            << test.redirection << ' ' << test.arguments << ": " << result.output;
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
    expect_clean_exit(child.communicate("0\n", 10s));
}

TEST(SaDemo, RunStartsFromTheCurrentSolutionAndLeavesItsBest) {
    const auto result = run_and_replay("1\n2\n2\n1\n2\n0\n");
    ASSERT_EQ(count_matches(result.output, report_pattern), 3) << result.output;
    // x and f(x) lines, in order: option 1, run 1, run 2, option 1, run 3.
    const auto xs = printed_values(result.output, "valor de x");
    const auto fs = printed_values(result.output, "funcao objetivo");
    const auto start_xs = printed_values(result.output, "valor de y");
    const auto start_fs = printed_values(result.output, "fo corrente");
    ASSERT_EQ(xs.size(), 5U);
    ASSERT_EQ(fs.size(), 5U);
    ASSERT_EQ(start_xs.size(), 3U);
    ASSERT_EQ(start_fs.size(), 3U);
    for (std::size_t run = 0; run < 3; ++run) {
        const std::size_t before = run < 2 ? run : 3;  // the line the run starts from
        EXPECT_EQ(start_xs[run], xs[before]);
        EXPECT_EQ(start_fs[run], fs[before]);
    }
}

TEST(SaDemo, RunConsumesOneCharacterLikeScanfInput) {
    // "1 2 0": the run eats the space after "2", then "0" leaves.
    auto result = run_and_replay("1 2 0");
    EXPECT_EQ(count_matches(result.output, report_pattern), 1);
    EXPECT_TRUE(result.output.ends_with(report_then_menu)) << result.output;
    // Input ending right after "2": the run reads nothing more and the session ends.
    result = run_and_replay("1\n2");
    EXPECT_TRUE(result.output.ends_with(report_then_menu)) << result.output;
}

TEST(SaDemoBadInput, CarriageReturnsCountAsWhiteSpace) {
    const auto result = run_and_replay("1\r\n2\r\n0\r\n");
    EXPECT_EQ(count_matches(result.output, report_pattern), 1);
}

TEST(SaDemoBadInput, InputMayEndAtAnyByte) {
    const std::string script = "1\n2\n2\n1\n2\n0\n";
    for (std::size_t length = 0; length <= script.size(); ++length) {
        const auto result = run_and_replay(script.substr(0, length));
        EXPECT_TRUE(result.output.ends_with(menu_text));
    }
}

}  // namespace
