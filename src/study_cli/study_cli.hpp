#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/plan.hpp"
#include "study_output/study_output.hpp"

// The command line of sa_study: what it asks for, the files it writes, and the program that
// carries it out.

namespace sa {

// ---- The command line

// What sa_study's command line asks for: a study, or one run traced instead, or the runs
// followed level by level against the equilibrium, or the landscape's hills alone, and its
// files.
struct study_command {
    study_request request;
    std::vector<study_field> given;  // the fields given, in the order typed
    bool trace = false;
    bool population = false;
    bool hills = false;
    std::string csv_path;  // "-" for standard output
    std::string plot_path;
};

// A command line that stops at once: its status, after `text` on standard output (help, the
// version) or `error` on standard error.
struct early_exit {
    int status;
    std::string text;
    std::string error;
};

// Parses the arguments after the program name; `cores` is the default for --jobs. Values are
// checked in the order the user typed them, and the first fault stops the command.
expected<study_command, early_exit> parse_command_line(const std::vector<std::string>& args,
                                                       int cores);

// The command's study planned with `seed`, which automatic temperatures are drawn with, and
// checked as a whole: the plan, or the message of its first fault.
expected<study_plan, std::string> plan_command(const study_command& command, std::uint32_t seed);

// sa_study's words for a refused value, named by its option, or by `option` in its place (a
// file's field, say).
std::string message_of(const fault& refused);
std::string message_of(const fault& refused, const std::string& option);

// Whether two paths name one file: the same text, or the same file on disk.
bool names_same_file(const std::string& a, const std::string& b);

// ---- Merging studies split over machines with --first-run

struct merge_request {
    std::vector<std::string> parts;  // their CSV files
    std::uint64_t first_run = 0;     // the whole study's runs
    long runs = 0;
    std::string csv_path;
    std::string plot_path;
};

// The command line after "merge", as parse_command_line reads the study's.
expected<merge_request, early_exit> parse_merge_command_line(const std::vector<std::string>& args);

// The whole study the parts add up to.
struct merged_study {
    std::vector<case_result> results;  // without landmarks: a CSV does not hold them
    study_origin origin;
    std::uint64_t last_run;
    std::size_t parts;
};

// Reads the parts and adds them up to the whole study the request states: the whole study,
// or why they do not add up to it. Every field of every part is checked as the command line
// checks the value it stands for.
expected<merged_study, std::string> merge_parts(const merge_request& request);

// ---- Files that appear whole or not at all

// The file that writing to `path` writes: through any links, also a link to a file that does
// not exist yet, which writing creates. A path with no link is made absolute and plain.
std::filesystem::path written_path(const std::string& path);

// Why `path` cannot be written, or nothing: it must be writable, and a new file must be
// creatable beside it. Creates nothing.
std::optional<std::string> unwritable_reason(const std::string& path);

// A file written to a temporary file beside its target (or in the temporary folder, for a
// target that is no regular file) and put in place only when complete: renamed over a
// regular file, copied into anything else. Never committed, the temporary file is removed,
// also when the program is interrupted.
class output_file {
  public:
    explicit output_file(std::string target);
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;
    ~output_file();

    // The file to write, ending as the target ends (gnuplot reads the kind from it).
    const std::string& temporary_path() const { return temporary_; }
    std::FILE* stream() { return stream_; }

    // Puts the file in place; why it could not, or nothing.
    std::optional<std::string> commit();

  private:
    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

// Removes every temporary file not yet put in place; safe in a signal handler.
void remove_pending_files();

// ---- The program

// sa_study as a whole, given the arguments after the program name; returns the exit status.
int study_main(const std::vector<std::string>& args);

}  // namespace sa
