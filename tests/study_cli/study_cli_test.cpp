#include "study_cli/study_cli.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/schedules.hpp"

namespace {

namespace fs = std::filesystem;

sa::expected<sa::study_command, sa::early_exit> parse(const std::vector<std::string>& args) {
    return sa::parse_command_line(args, 2);
}

// What sa_study says of a command line it refuses, read and planned as the program does it;
// "" for one it takes.
std::string refusal_of(const std::vector<std::string>& args) {
    const auto command = parse(args);
    if (!command) {
        EXPECT_EQ(command.error().status, 2);
        return command.error().error;
    }
    const auto plan = sa::plan_command(*command, 1);
    return plan ? "" : plan.error();
}

// A folder of its own for a test's files, removed with it.
class scratch_folder {
  public:
    scratch_folder() {
        std::string name = (fs::temp_directory_path() / "sa_study_test-XXXXXX").string();
        path_ = ::mkdtemp(name.data());
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    ~scratch_folder() { fs::remove_all(path_); }

    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string read_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Every fault is refused with a message that names it, before any work; the first fault in
// the order typed is the one reported.
TEST(StudyCommandLine, RefusesEachFaultWithItsMessage) {
    std::string sixty_thousand;
    for (int i = 0; i < 60'000; ++i) {
        sixty_thousand += i == 0 ? "1" : ",1";
    }
    struct refusal {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<refusal> refusals = {
        {{"--t0", "1,,2"}, "--t0: an empty item in '1,,2'"},
        {{"--t0", ",1"}, "--t0: an empty item in ',1'"},
        {{"--alpha", ","}, "--alpha: an empty item in ','"},
        {{"--t0", "1:10000:1", "--alpha", "0.1:0.9:0.0001"},
         "the lists make 80010000 schedules, more than the 10,000 a sweep may hold"},
        {{"--trials", "1", "--t0", "1e30", "--t-final", "1e-45", "--alpha", "0.99999994"},
         "T0 1e+30, alpha 0.99999994, final T 1e-45, 1 trial per level, 17 bits: about 2.9e+09 "
         "trials per run, more than the 10^9 a run may make"},
        {{"--runs", "0x10"}, "--runs: '0x10' is not a decimal whole number"},
        {{"--bits", "0x10"}, "--bits: '0x10' is not a decimal whole number"},
        {{"--first-run", "-1"}, "--first-run must be from 0 to 4294967295, not -1"},
        {{"--first-run", "18446744073709551616"},
         "--first-run: '18446744073709551616' is out of range"},
        {{"--first-run", "4294967290", "--runs", "10"},
         "runs 4294967290 to 4294967299 go past run 4294967295, after which the seeds repeat"},
        {{"--target", "nan"}, "--target must be a percentage from 0 to 100, not 'nan'"},
        {{"--target", "101"}, "--target must be a percentage from 0 to 100, not '101'"},
        {{"--t0", ""}, "--t0 needs a value"},
        {{"--t0="}, "--t0 needs a value"},
        {{"--seed", ""}, "--seed needs a value"},
        {{"--csv", ""}, "--csv needs a value"},
        {{"--plot", ""}, "--plot needs a value"},
        {{"--trace", "--runs", "5"}, "--trace follows one run: --runs does not apply"},
        {{"--jobs", "3", "--trace"}, "--trace follows one run: --jobs does not apply"},
        {{"--trace", "--target", "50"}, "--trace follows one run: --target does not apply"},
        {{"--trace", "--alpha", "0.9,0.95"}, "--trace follows a single schedule, not a sweep"},
        {{"--population", "--trace"}, "--trace and --population cannot be given together"},
        {{"--population", "--alpha", "0.9,0.95"},
         "--population follows a single schedule, not a sweep"},
        {{"--population", "--target", "5"},
         "--population follows the runs' levels: --target does not apply"},
        {{"--population", "--alpha", "0.9999"},
         "T0 100, alpha 0.9999, final T 0.1, 8 trials per level, 17 bits: about 69063 levels, "
         "more than the 10,000 levels that --population follows"},
        {{"--population", "--alpha", "0.999", "--bits", "18"},
         "T0 100, alpha 0.999, final T 0.1, 9 trials per level, 18 bits: 6905 levels of 262144 "
         "grid points, more than the 10^9 grid points over all levels that --population follows"},
        {{"--alpha", "0.999999999"},
         "--alpha: 0.999999999 rounds to 1 in single precision (the largest below 1 is "
         "0.99999994)"},
        {{"--alpha", "1.5"}, "--alpha: must be between 0 and 1, not 1.5"},
        {{"--alpha", "0.5,x"}, "--alpha: 'x' is not a number"},
        {{"--t0", "1:0:1"}, "--t0: stop below start in '1:0:1'"},
        {{"--t0", "1:2:0"}, "--t0: step 0 in '1:2:0'"},
        {{"--t0", "1:2"}, "--t0: a range is start:stop:step in '1:2'"},
        {{"--t0", "1:2:0.0000001"}, "--t0: more than 10,000 values in '1:2:0.0000001'"},
        {{"--t0", sixty_thousand},
         "--t0: more than 10,000 values in '1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1...'"},
        {{"--t0", "1e309"}, "--t0: '1e309' is out of range"},
        {{"--t0", "auto,10"}, "--t0: auto chooses one temperature alone, not in a list: 'auto,10'"},
        {{"--t-final", "0.1,auto:0.5"},
         "--t-final: auto chooses one temperature alone, not in a list: '0.1,auto:0.5'"},
        {{"--t0", "inf"}, "--t0: 'inf' is not a finite number"},
        {{"--t0", "1e31"}, "--t0: 1e+31 is out of range (at most 1e30)"},
        {{"--t0", "-1"}, "--t0: must be positive, not -1"},
        {{"--t-final", "1e-50"}, "--t-final: 1e-50 rounds to 0 in single precision"},
        {{"--t0", "0.1"},
         "T0 must lie above the final T, so that the schedule has a level (T0 0.1, final T 0.1)"},
        {{"--trials", "2147483648"},
         "--trials must be from 1 to 10^6 trials per level, not 2147483648"},
        {{"--bits", "30"}, "--bits must be from 2 to 24, not 30"},
        {{"--runs", "0"}, "--runs must be from 1 to 10^7, not 0"},
        {{"--jobs", "0"}, "--jobs must be from 1 to 4096, not 0"},
        {{"--seed", "-1"}, "--seed must be from 0 to 4294967295, not -1"},
        {{"--seed", "4294967296"}, "--seed must be from 0 to 4294967295, not 4294967296"},
        {{"--Runs", "5"}, "unknown option '--Runs' (sa_study --help lists the options)"},
        {{"--runs", "5", "--runs", "6"}, "--runs is given twice"},
        {{"--runs", "0", "--runs", "6"}, "--runs must be from 1 to 10^7, not 0"},
        {{"--trace", "--csv", "a.csv", "--trace"}, "--trace is given twice"},
        {{"5"}, "unexpected argument '5'"},
        {{"--plot", "a.jpg"}, "--plot writes .svg or .png files, not 'a.jpg'"},
        {{"--plot", "a\nsystem(\"touch pwned\")\n.svg"},
         "--plot: 'a?system(\"touch pwned\")?.svg' holds a control character"},
        {{"--csv", "same.png", "--plot", "same.png"},
         "--csv and --plot name the same file 'same.png'"},
        {{"--csv", "same.png", "--plot", "./same.png"},
         "--csv and --plot name the same file 'same.png'"},
        {{"--cooling", "linear", "--alpha", "0.9"},
         "--alpha sets geometric cooling, which --cooling leaves out"},
        {{"--levels", "100"},
         "--levels sets linear and Lundy-Mees cooling, not geometric (see --cooling)"},
        {{"--cooling", "linear,,geometric"}, "--cooling: an empty item in 'linear,,geometric'"},
        {{"--cooling", "Linear"},
         "--cooling: 'Linear' is no cooling law (geometric, linear or lundy-mees)"},
        {{"--t0", "auto:1"}, "--t0 auto:CHI needs an acceptance between 0 and 1, not '1'"},
        {{"--t-final", "auto:x"},
         "--t-final auto:CHI needs an acceptance between 0 and 1, not 'x'"},
        // In the order typed: --bits comes first here.
        {{"--bits", "30", "--alpha", "2"}, "--bits must be from 2 to 24, not 30"},
        {{"--alpha", "2", "--bits", "30"}, "--alpha: must be between 0 and 1, not 2"},
        // A formula, refused where it goes wrong, counted from 1.
        {{"--landscape", ""}, "--landscape needs a value"},
        {{"--landscape", "  "}, "--landscape: '  ': holds no formula"},
        {{"--landscape", std::string(1001, 'x')},
         "--landscape: a formula holds at most 1000 characters"},
        {{"--landscape", std::string(41, '(') + "x" + std::string(41, ')')},
         "--landscape: '" + std::string(37, '(') + "...': nests more than 40 deep at character 41"},
        {{"--landscape", "x # 2"},
         "--landscape: 'x # 2': '#' at character 3 has no place in a formula"},
        {{"--landscape", "1.2.3"}, "--landscape: '1.2.3': '1.2.3' at character 1 is not a number"},
        {{"--landscape", "neddle"},
         "--landscape: 'neddle': 'neddle' at character 1 is neither x, pi, e, a function (sin, "
         "cos, tan, exp, log, sqrt, abs, sinc, min, max) nor a landscape (demo, smooth, needle, "
         "deceptive, rugged)"},
        {{"--landscape", "x +"}, "--landscape: 'x +': a value is missing at the end"},
        {{"--landscape", "2x"},
         "--landscape: '2x': an operator is missing before 'x' at character 2 (a product needs *)"},
        {{"--landscape", "sin x"}, "--landscape: 'sin x': a ( is missing at character 5"},
        {{"--landscape", "(x"}, "--landscape: '(x': the ( at character 1 is never closed"},
        {{"--landscape", "x)"}, "--landscape: 'x)': the ) at character 2 closes nothing"},
        {{"--landscape", "1 + max(x)"},
         "--landscape: '1 + max(x)': 'max' at character 5 takes the wrong number of arguments: min "
         "and max two or more, the others one"},
        {{"--landscape", "points:(0,1)"},
         "--landscape: 'points:(0,1)': a drawing needs 2 points or more"},
        {{"--landscape", "points:(0,1),(0,2)"},
         "--landscape: 'points:(0,1),(0,2)': the point at character 15 does not lie right of the "
         "one before"},
        {{"--landscape", "points:(0,1),(1,2"},
         "--landscape: 'points:(0,1),(1,2': the ( at character 14 is never closed"},
        {{"--hills", "--t0", "1"},
         "--hills lists the landscape's hills alone: --t0 does not apply"},
        {{"--hills", "--population"},
         "--hills lists the landscape's hills alone: --population does not apply"},
        {{"--hills", "--bits", "10,12"}, "--hills lists the hills of one grid, not a sweep"},
        // The landscape on its grid, once every option is read.
        {{"--landscape", "1 / x", "--x-min", "-1", "--x-max", "2", "--bits", "3,2"},
         "--landscape: '1 / x' is not finite at x = 0 (on 2 bits)"},
        {{"--landscape", "exp(100 * x)"},
         "--landscape: 'exp(100 * x)' is not finite at x = 0.8872291 (on 17 bits)"},
        {{"--x-min", "1", "--x-max", "1"}, "--x-max must lie above --x-min (x-min 1, x-max 1)"},
        {{"--x-min", "1e6", "--x-max", "1e6"},
         "--x-max must lie above --x-min (x-min 1e+06, x-max 1e+06)"},
        {{"--x-min", "1000001"}, "--x-min: 1000001 is out of range (at most 1e6 in size)"},
        {{"--x-max", "nan"}, "--x-max: 'nan' is not a finite number"},
        {{"--x-min", "1000", "--x-max", "1000.01", "--bits", "17"},
         "17 bits on [1000, 1000.01]: the grid's points are not distinct in single precision"},
    };
    for (const refusal& test : refusals) {
        EXPECT_EQ(refusal_of(test.args), test.message);
    }
    // A cap on all the trials of a study is the page's alone.
    EXPECT_EQ(
        sa::message_of({sa::fault_kind::too_many_trials, std::nullopt, "", "1.8e+06", "1e+06"}),
        "the schedules make 1.8e+06 trials in all, more than the 1e+06 a study may make "
        "here");
    EXPECT_EQ(parse({"--help"}).error().status, 0);
    EXPECT_EQ(parse({"--version"}).error().text, "sa_study " SA_DEMO_VERSION "\n");
}

// A part's CSV: runs first_run .. first_run + 49 of each case, with these counts of runs on the
// exact optimum, the global peak and the second peak.
struct part_counts {
    long exact = 10;
    long global = 40;
    long second = 5;
};
std::string part_csv(const std::vector<sa::study_case>& cases, std::uint64_t first_run,
                     part_counts counts = {}, std::uint32_t seed = 7) {
    std::vector<sa::case_result> results;
    for (const sa::study_case& study : cases) {
        sa::case_result result{study, {}, {}};
        result.summary.runs = 50;
        result.summary.exact_optimum = counts.exact;
        result.summary.global_peak = counts.global;
        result.summary.second_peak = counts.second;
        result.summary.best_sum = 70.25L;
        result.summary.mean_best = sa::mean_best_of(result.summary.best_sum, 50);
        result.summary.median_seconds = 2e-5;
        result.summary.total_seconds = 0.001;
        results.push_back(result);
    }
    return sa::study_csv(results, {seed, first_run, true});
}

// The text with line `line`'s field in `column` (by the heading's name) replaced by `value`.
std::string with_field(const std::string& text, int line, const std::string& column,
                       const std::string& value) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const auto fields_of = [](const std::string& row) {
        std::vector<std::string> fields;
        std::stringstream stream(row);
        for (std::string field; std::getline(stream, field, ',');) {
            fields.push_back(field);
        }
        return fields;
    };
    const std::vector<std::string> names = fields_of(lines[0]);
    std::vector<std::string> fields = fields_of(lines[static_cast<std::size_t>(line - 1)]);
    fields[static_cast<std::size_t>(std::find(names.begin(), names.end(), column) -
                                    names.begin())] = value;
    std::string row;
    for (const std::string& field : fields) {
        row += (row.empty() ? "" : ",") + field;
    }
    lines[static_cast<std::size_t>(line - 1)] = row;
    std::string joined;
    for (const std::string& each : lines) {
        joined += each + '\n';
    }
    return joined;
}

// sa_study takes every field of a request by the option the table of fields names, and no other
// option of its sets one; every kind of fault has words of its own.
TEST(StudyCommandLine, NamesEveryFieldAndFaultAsTheTablesDo) {
    const auto help = parse({"--help"});
    ASSERT_FALSE(help);
    const std::string text = help.error().text;
    const std::regex option_pattern("--[a-z0-9-]+");
    std::set<std::string> options(
        std::sregex_token_iterator(text.begin(), text.end(), option_pattern),
        std::sregex_token_iterator());
    for (const sa::field_names& names : sa::study_fields) {
        EXPECT_EQ(options.erase(names.option), 1U) << names.option;
        EXPECT_EQ(sa::field_of_option(names.option), names.field);
    }
    EXPECT_EQ(options, (std::set<std::string>{"--csv", "--help", "--hills", "--plot",
                                              "--population", "--trace", "--version"}));
    for (const auto& [kind, name] : sa::fault_kinds) {
        const std::string words = sa::message_of({kind, sa::study_field::t0, "v", "s", "l"});
        EXPECT_NE(words, "--t0: s") << name;
    }
}

// Parts that are not those of the study the merge states are refused, each with a message that
// names the file, the line and the field, with the value quoted as the command line quotes it.
// a.csv holds runs 0 to 49 and b.csv runs 50 to 99 of two schedules on a 10-bit grid; each row
// changes b.csv (or both) and merges them as runs 0 to 99.
TEST(StudyMerge, RefusesEveryPartThatIsNotOfTheStudy) {
    const sa::study_case geometric{schedule_of(1.0, 0.001, sa::geometric{0.9F}, 8), 10};
    const sa::study_case lundy_mees{schedule_of(1.0, 0.001, sa::lundy_mees{100}, 8), 10};
    const sa::study_case coarse{schedule_of(1.0, 0.001, sa::geometric{0.9F}, 8), 2};
    const std::string first = part_csv({geometric, lundy_mees}, 0);
    const std::string rest = part_csv({geometric, lundy_mees}, 50);
    const scratch_folder folder;
    const std::string a = folder.file("a.csv");
    const std::string b = folder.file("b.csv");
    const std::string at = b + " line 2, ";
    struct merge_case {
        std::string first_text;
        std::string rest_text;
        std::string refusal;
        long runs = 100;
        std::uint64_t first_run = 0;
    };
    const auto field = [&rest](const char* column, const char* value, int line = 2) {
        return with_field(rest, line, column, value);
    };
    std::string cut = rest;
    cut.pop_back();
    std::string short_row = rest;  // line 2 without its last field
    const std::size_t line_end = short_row.find('\n', short_row.find('\n') + 1);
    const std::size_t last_comma = short_row.rfind(',', line_end);
    short_row.erase(last_comma, line_end - last_comma);
    const std::vector<merge_case> cases = {
        {first, rest, ""},
        {first, field("t0", "-1"), at + "t0: must be positive, not -1"},
        {first, field("t0", "inf"), at + "t0: 'inf' is not a finite number"},
        {first, field("t0", "1:3:1"), at + "t0 takes one number, not '1:3:1'"},
        {first, field("t_final", "2"),
         b + " line 2: T0 must lie above the final T, so that the schedule has a level (T0 1, "
             "final T 2)"},
        {first, field("t_final", "0"), at + "t_final: must be positive, not 0"},
        {first, field("alpha", "1"), at + "alpha: must be between 0 and 1, not 1"},
        {first, field("alpha", "1.5"), at + "alpha: must be between 0 and 1, not 1.5"},
        {first, field("alpha", "0.999999999"),
         at + "alpha: 0.999999999 rounds to 1 in single precision (the largest below 1 is "
              "0.99999994)"},
        {first, field("levels", "4294967346", 3),
         b + " line 3, levels must be from 1 to 10^9, not 4294967346"},
        {first, field("levels", "50"),
         at + "levels: '50' disagrees with the rest of the row, which gives '66'"},
        {first, field("trials_per_level", "\x1b[31m"),
         at + "trials_per_level: '?[31m' is not a decimal whole number"},
        {first, field("cooling", "cubic"),
         at + "cooling: 'cubic' is no cooling law (geometric, linear or lundy-mees)"},
        {first, field("runs", "9223372036854775807"),
         at + "runs must be from 1 to 10^7, not 9223372036854775807"},
        {first, field("first_run", "4294967296"),
         at + "first_run must be from 0 to 4294967295, not 4294967296"},
        {first, field("first_run", "4294967290"),
         b + " line 2: runs 4294967290 to 4294967339 go past run 4294967295, after which the "
             "seeds repeat"},
        {first, field("first_run", "60", 3), b + " line 3, first_run: 60, where line 2 has 50"},
        {first, field("exact_optimum_runs", "90"),
         at + "exact_optimum_runs must be from 0 to 50, not 90"},
        {first, field("second_peak_runs", "-1"),
         at + "second_peak_runs must be from 0 to 50, not -1"},
        {first, field("median_run_us", "nan"), at + "median_run_us: 'nan' is not a finite number"},
        {first, field("total_run_seconds", "1e308"),
         at + "total_run_seconds must be from 0 to 5e+09, not 1e+308"},
        {first, field("best_sum", "-1"), at + "best_sum must be from 0 to 1.70141173e+40, not -1"},
        {first, field("mean_best", "1.5"),
         at + "mean_best: '1.5' disagrees with the rest of the row, which gives '1.405'"},
        {first, field("r99", "1"),
         at + "r99: '1' disagrees with the rest of the row, which gives '" +
             sa::format("%.9g", std::log(0.01) / std::log(0.8)) + "'"},
        {first, field("tts99_seconds", ""),
         at + "tts99_seconds: '' disagrees with the rest of the row, which gives a time"},
        {first, field("median_measured", "2"), at + "median_measured must be 0 or 1, not 2"},
        {first, field("version", "0.9.9"),
         at + "version: '0.9.9' is not this program's version, " SA_DEMO_VERSION},
        {first, field("seed", "8"), at + "seed: 8, where " + a + " line 2 has 7"},
        {first, part_csv({geometric, {schedule_of(1.0, 0.001, sa::lundy_mees{90}, 8), 10}}, 50),
         b + " line 3 studies another schedule than " + a + " line 3"},
        {first, part_csv({geometric}, 50),
         b + " holds 1 schedule and " + a + " 2: they study different sweeps"},
        {first, "t0,alpha\n1,0.9\n", b + " is no CSV file of a study by sa_study " SA_DEMO_VERSION},
        {first, rest.substr(0, rest.find('\n') + 1), b + " holds no schedule, only the heading"},
        {first, cut, b + " line 3 is cut short: no newline ends it"},
        {first, field("version", SA_DEMO_VERSION ",x"), b + " line 2 has more than 32 fields"},
        {first, short_row, b + " line 2 has 31 fields, not 32"},
        {first, field("landscape", "needle", 3),
         b + " line 3 searches needle, where " + a + " line 3 searches demo"},
        {first, field("landscape", "\"sin(x) over [0, 3]"),
         at + "landscape: '\"sin(x) over [0, 3]' is not text in quotes, each quote within written "
              "twice"},
        {first, field("landscape", "\"max(x, 1\""),
         at + "landscape: 'max(x, 1': the ( at character 4 is never closed"},
        {first, field("landscape", "\"log(x) over [-1, 1]\""),
         at + "landscape: 'log(x)' is not finite at x = -1 (on 10 bits)"},
        {first, std::string(11'000'000, ','),
         "cannot read " + b + ": larger than any part, more than 10241024 bytes"},
        {first, part_csv({geometric, lundy_mees}, 50, {20, 10, 5}),
         b + " line 2: 20 runs end on the exact optimum, only 10 on the global peak, which holds "
             "it"},
        {part_csv({coarse}, 0, {0, 0, 0}), part_csv({coarse}, 50, {30, 30, 0}),
         b + " line 2: 30 runs end on the exact optimum and 30 on the global peak, which does not "
             "hold it: more than the 50 runs"},
        {part_csv({coarse}, 0, {0, 0, 0}), part_csv({coarse}, 50, {0, 0, 1}),
         b + " line 2: 1 run ends on the second peak, which has no grid point"},
        {first, rest, "no part holds runs 100 to 149 (after " + b + ")", 150},
        {"", rest,
         "no part holds runs 0 to 49 (before " + b + ") or runs 100 to 119 (after " + b + ")", 120},
        {first, rest, a + " holds runs 0 to 49, not all within the study's runs 10 to 109", 100,
         10},
        {first, first, b + " and " + a + " overlap: both hold runs 0 to 49"},
    };
    for (const merge_case& test : cases) {
        write_text(a, test.first_text);
        write_text(b, test.rest_text);
        // Without a first part, the rest alone.
        const std::vector<std::string> parts =
            test.first_text.empty() ? std::vector{b} : std::vector{b, a};
        const sa::merge_request request{parts, test.first_run, test.runs, "", ""};
        const auto merged = sa::merge_parts(request);
        EXPECT_EQ(merged ? "" : merged.error(), test.refusal);
        if (merged) {
            EXPECT_EQ(merged->results.front().summary.runs, 100);
            EXPECT_EQ(merged->results.front().summary.mean_best, 1.405);
            EXPECT_EQ(merged->last_run, 99U);
        }
    }
    const std::string directory = folder.file("part\x1b.csv");
    fs::create_directory(directory);
    const auto refused = sa::merge_parts({{a, directory}, 0, 100, "", ""});
    EXPECT_EQ(refused ? "" : refused.error(),
              "cannot read " + folder.file("part?.csv") + ": Is a directory");
}

// A merge never writes over one of its parts, by any path or link, and refuses a part given
// twice; parts that overlap are refused from their first rows, before the rest is read; and a
// part an editor changed is told as such.
TEST(StudyMerge, LosesNoPartAndReadsNoMoreThanItMust) {
    const sa::study_case geometric{schedule_of(1.0, 0.001, sa::geometric{0.9F}, 8), 10};
    const std::string first = part_csv({geometric, geometric}, 0);
    const std::string rest = part_csv({geometric, geometric}, 50);
    const scratch_folder folder;
    const std::string a = folder.file("a.csv");
    const std::string b = folder.file("b.csv");
    const std::string link = folder.file("link.svg");
    write_text(a, first);
    write_text(b, rest);
    fs::create_symlink(b, link);
    std::string broken_overlap = first;  // runs 0 to 49 again, its last line cut short
    broken_overlap.pop_back();
    const std::size_t header_end = rest.find('\n');
    ASSERT_NE(header_end, std::string::npos);
    const std::string crlf = rest.substr(0, header_end) + '\r' + rest.substr(header_end);
    struct merge_case {
        std::vector<std::string> parts;
        std::string csv;
        std::string plot;
        std::string refusal;
    };
    const std::string c = folder.file("c.csv");
    const std::vector<merge_case> cases = {
        {{a, b}, a, "", "--csv names '" + a + "', one of the parts to merge"},
        {{a, b},
         folder.file("whole.csv"),
         link,
         "--plot names '" + b + "', one of the parts to merge"},
        {{a, b, a}, "", "", a + " is given twice"},
        {{a, b, link}, "", "", b + " and " + link + " name the same file"},
        {{a, c}, "", "", a + " and " + c + " overlap: both hold runs 0 to 49"},
    };
    write_text(c, broken_overlap);
    for (const merge_case& test : cases) {
        const auto merged = sa::merge_parts({test.parts, 0, 100, test.csv, test.plot});
        EXPECT_EQ(merged ? "" : merged.error(), test.refusal);
    }
    EXPECT_EQ(read_text(a), first);
    for (const auto& [text, refusal] :
         {std::pair{crlf,
                    " ends its lines with CR LF, where sa_study's CSV files end them with "
                    "LF alone (dos2unix converts it)"},
          std::pair{"\xEF\xBB\xBF" + rest,
                    " begins with a byte-order mark, which sa_study's CSV files never hold"}}) {
        write_text(b, text);
        const auto merged = sa::merge_parts({{a, b}, 0, 100, "", ""});
        EXPECT_EQ(merged ? "" : merged.error(), b + refusal);
    }
}

// The merge's own command line: the whole study's runs are needed, and an option typed twice
// is refused, as the study's are.
TEST(StudyMerge, NeedsTheWholeStudysRuns) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"a.csv"}, "needs --runs, the runs of the whole study, so that a missing part is noticed"},
        {{"a.csv", "--runs", "5", "--runs", "6"}, "--runs is given twice"},
        {{"a.csv", "--runs", "0"}, "--runs must be from 1 to 10^7, not 0"},
        {{"a.csv", "--runs", "10", "--first-run", "4294967290"},
         "runs 4294967290 to 4294967299 go past run 4294967295, after which the seeds repeat"},
    };
    for (const auto& [args, message] : refusals) {
        const auto command = sa::parse_merge_command_line(args);
        ASSERT_FALSE(command) << message;
        EXPECT_EQ(command.error().error, message);
    }
    const auto command =
        sa::parse_merge_command_line({"b.csv", "--first-run=7", "--runs=20", "a.csv"});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->parts, (std::vector<std::string>{"b.csv", "a.csv"}));
    EXPECT_EQ(command->first_run, 7U);
    EXPECT_EQ(command->runs, 20);
}

// A file written again keeps the permissions it had, as a file written in place would.
TEST(OutputFile, ARewrittenFileKeepsItsMode) {
    const scratch_folder folder;
    const std::string path = folder.file("kept.csv");
    write_text(path, "old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        sa::output_file file(path);
        ASSERT_NE(file.stream(), nullptr);
        std::fputs("new\n", file.stream());
        ASSERT_FALSE(file.commit());
    }
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777U, 0640U);
    std::ifstream written(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "new\n");
}

}  // namespace
