#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "study/study.hpp"

// The command line of sa_study: what it asks for, and the program that carries it out.

namespace sa {

struct study_options {
    std::vector<study_case> cases;  // the sweep, expanded
    long runs = 1000;
    std::optional<std::uint32_t> seed;  // the clock when not given
    std::uint64_t first_run = 0;
    int jobs = 1;
    bool trace = false;
    std::optional<double> target;  // percent of runs on the exact optimum
    std::string csv_path;
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

// Parses the arguments after the program name; `cores` is the default for --jobs.
command_line parse_command_line(const std::vector<std::string>& args, int cores);

// A value, a comma-separated list of values, or start:stop:step, each a value or list.
// Empty when the text is none of these.
std::vector<float> parse_real_values(const std::string& text);
std::vector<int> parse_whole_values(const std::string& text);

// sa_study as a whole, given the arguments after the program name; returns the exit status.
int study_main(const std::vector<std::string>& args);

}  // namespace sa
