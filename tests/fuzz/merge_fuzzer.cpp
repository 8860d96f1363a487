// libFuzzer entry: arbitrary bytes as a merge's command line and parts. The input's first line
// holds the values of --first-run and --runs, split at a space; the rest, split at each byte
// 0x1e, the parts' files, four at most. A merge that succeeds must write a CSV that reads
// back, as a part of the same study.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "study_cli/study_cli.hpp"

namespace {

const std::string& folder() {
    static const std::string path = [] {
        std::string name =
            (std::filesystem::temp_directory_path() / "merge_fuzzer-XXXXXX").string();
        return std::string(::mkdtemp(name.data()));
    }();
    return path;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t end = text.find(separator); end != std::string::npos;
         start = end + 1, end = text.find(separator, start)) {
        pieces.push_back(text.substr(start, end - start));
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t line_end = input.find('\n');
    if (line_end == std::string::npos) {
        return 0;
    }
    const std::vector<std::string> range = split(input.substr(0, line_end), ' ');
    std::vector<std::string> files = split(input.substr(line_end + 1), '\x1e');
    files.resize(std::min<std::size_t>(files.size(), 4));
    std::vector<std::string> args;
    for (std::size_t i = 0; i < files.size(); ++i) {
        args.push_back(folder() + "/part-" + std::to_string(i) + ".csv");
        std::ofstream(args.back(), std::ios::binary) << files[i];
    }
    args.insert(args.end(), {"--first-run", range.front(), "--runs", range.back()});
    const sa::expected<sa::merge_request, sa::early_exit> request =
        sa::parse_merge_command_line(args);
    if (!request) {
        return 0;
    }
    const sa::expected<sa::merged_study, std::string> merged = sa::merge_parts(*request);
    if (merged && !sa::read_study_csv(sa::study_csv(merged->results, merged->origin))) {
        std::abort();
    }
    return 0;
}
