#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "study/study.hpp"
#include "study_output/study_output.hpp"

// The command line of sa_study: what it asks for, the files it writes, and the program that
// carries it out.

namespace sa {

// ---- What may be asked, and its limits

inline constexpr long max_runs = 10'000'000;
inline constexpr std::uint64_t max_run_number = 4'294'967'295;  // seeds are clock seconds
inline constexpr int max_jobs = 4096;
inline constexpr std::size_t max_list_values = 10'000;  // so a mistyped step cannot exhaust memory
inline constexpr std::size_t max_schedules = 10'000;
inline constexpr int max_trials_per_level = 1'000'000;
inline constexpr std::int64_t max_trials_per_run = 1'000'000'000;
inline constexpr double max_temperature = 1e30;

struct study_options {
    std::vector<study_case> cases;                  // the sweep, expanded
    std::vector<automatic_temperatures> automatic;  // for each grid, when asked for
    long runs = 1000;
    std::uint32_t seed = 0;  // the clock second when not given
    std::uint64_t first_run = 0;
    int jobs = 1;
    bool trace = false;
    std::optional<double> target;  // percent of runs on the exact optimum
    std::string csv_path;          // "-" for standard output
    std::string plot_path;
};

// What the command line asks for: a study, or to stop at once with a status, after printing
// `text` to standard output (help, version) or an error line to standard error.
struct command_line {
    study_options options;
    std::optional<int> exit_status;
    std::string text;
    std::string error;
};

// Parses the arguments after the program name; `cores` is the default for --jobs. Values are
// checked in the order the user typed them, and the first fault is the error.
command_line parse_command_line(const std::vector<std::string>& args, int cores);

// The schedules asked for, before they are expanded: the lists, and for T0 and the final T
// chosen automatically the acceptance each is chosen for.
struct schedule_request {
    sweep_request sweep;
    std::optional<double> auto_t0;
    std::optional<double> auto_t_final;
    bool alpha_given = false;
    bool levels_given = false;
};

// Expands the request into the options' cases, with automatic temperatures chosen from a
// sample seeded with the options' seed, and checks what the cases would cost; an error
// message, or nothing.
std::string expand_schedules(const schedule_request& request, study_options& options);

// A value, or a comma-separated list of values and ranges start:stop:step: the values, or
// what is wrong with the text (without the option's name).
template <typename T>
struct parsed_values {
    std::vector<T> values;
    std::string error;
};
parsed_values<double> parse_real_values(const std::string& text);
parsed_values<std::int64_t> parse_whole_values(const std::string& text);

// The comma-separated items of a list, empty ones included.
std::vector<std::string_view> list_items(std::string_view text);

// Whether two paths name one file: the same text, or the same file on disk.
bool names_same_file(const std::string& a, const std::string& b);

// `text` in single quotes for a message, cut to a readable length, control characters shown
// as '?'.
std::string quoted_value(const std::string& text);

// ---- Merging studies split over machines with --first-run

struct merge_request {
    std::vector<std::string> parts;  // their CSV files
    std::string csv_path;
    std::string plot_path;
};

// The command line after "merge", as parse_command_line reads the study's.
struct merge_command {
    merge_request request;
    std::optional<int> exit_status;
    std::string text;
    std::string error;
};
merge_command parse_merge_command_line(const std::vector<std::string>& args);

// The whole study the parts add up to.
struct merged_study {
    std::vector<case_result> results;  // without landmarks: a CSV does not hold them
    study_origin origin;
    std::uint64_t last_run;
    std::size_t parts;
};

// Reads the parts and adds them up; why they do not add up to one study, or nothing.
std::optional<std::string> merge_parts(const std::vector<std::string>& paths, merged_study& merged);

// ---- Files that appear whole or not at all

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

    // Puts the file in place; an error message, or nothing.
    std::string commit();

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
