#include "study_cli/study_cli.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

// A part's CSV: 100 runs of each case from `first_run` on, with the seed `seed`.
std::string part_csv(const std::vector<sa::study_case>& cases, std::uint32_t seed,
                     std::uint64_t first_run) {
    std::vector<sa::case_result> results;
    for (const sa::study_case& study : cases) {
        sa::case_result result{study, {}, {}};
        result.summary.runs = 100;
        result.summary.exact_optimum = 30;
        result.summary.global_peak = 90;
        result.summary.total_seconds = 0.5;
        results.push_back(result);
    }
    return sa::study_csv(results, {seed, first_run, true});
}

// Parts that come from another seed, another version or other schedules are never added up:
// each check of the merge is needed by a row here.
TEST(StudyMerge, RefusesPartsOfAnotherStudy) {
    const sa::study_case geometric{{1.0, 0.001, sa::geometric{0.9F}, 8}, 17};
    const sa::study_case linear{{1.0, 0.001, sa::linear{100}, 8}, 17};
    const std::string first = part_csv({geometric, linear}, 7, 0);
    struct merge_case {
        const char* what;
        std::string second;
        std::string refusal;
    };
    std::string other_version = part_csv({geometric, linear}, 7, 100);
    const std::string version = "," SA_DEMO_VERSION "\n";
    for (auto at = other_version.find(version); at != std::string::npos;
         at = other_version.find(version, at)) {
        other_version.replace(at, version.size(), ",0.9.9\n");
    }
    const scratch_folder folder;
    const std::string a = folder.file("a.csv");
    const std::string b = folder.file("b.csv");
    const std::string prefix = a + " and " + b + " ";
    const std::vector<merge_case> cases = {
        {"the rest", part_csv({geometric, linear}, 7, 100), ""},
        {"another seed", part_csv({geometric, linear}, 8, 100),
         prefix + "come from different seeds"},
        {"another version", other_version,
         prefix + "come from different versions (" SA_DEMO_VERSION " and 0.9.9)"},
        {"another alpha", part_csv({{{1.0, 0.001, sa::geometric{0.95F}, 8}, 17}, linear}, 7, 100),
         prefix + "study different schedules"},
        {"another law", part_csv({geometric, {{1.0, 0.001, sa::lundy_mees{100}, 8}, 17}}, 7, 100),
         prefix + "study different schedules"},
        {"other levels", part_csv({geometric, {{1.0, 0.001, sa::linear{90}, 8}, 17}}, 7, 100),
         prefix + "study different schedules"},
        {"fewer schedules", part_csv({geometric}, 7, 100), prefix + "study different schedules"},
    };
    write_text(a, first);
    for (const merge_case& test : cases) {
        write_text(b, test.second);
        const auto merged = sa::merge_parts({b, a});
        EXPECT_EQ(merged ? "" : merged.error(), test.refusal) << test.what;
        if (merged) {
            EXPECT_EQ(merged->results.front().summary.runs, 200);
            EXPECT_EQ(merged->last_run, 199U);
        }
    }
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
