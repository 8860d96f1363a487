#pragma once

#include <string>
#include <vector>

// The command line of sa_study.
struct study_options {
    long runs = 1000;
    unsigned long seed = 0;
    bool seed_given = false;
    bool trace = false;
    bool help = false;
};

struct parsed_options {
    study_options options;
    std::string error;  // empty when the command line is sound
};

// Parses the arguments after the program name.
parsed_options parse_options(const std::vector<std::string>& args);

std::string usage_text();
