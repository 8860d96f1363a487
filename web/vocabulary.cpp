// Writes js/vocabulary.js, the names the page's scripts take from the libraries: each field of a
// request with its option, address key and name in the interface, each kind of fault, each
// acceptance rule, and the ranges of the interface's own arguments. The build runs it, so that
// no script lists them.

#include <cstdio>
#include <string>
#include <vector>

#include "formula/formula.hpp"
#include "page.hpp"

namespace {

const char* part_name(sa::field_part part) {
    switch (part) {
        case sa::field_part::runs:
            return "runs";
        case sa::field_part::schedule:
            return "schedule";
        case sa::field_part::study:
            return "study";
        case sa::field_part::landscape:
            return "landscape";
    }
    return "";
}

void print_fields() {
    std::puts("  fields: [");
    for (const sa::field_names& names : sa::study_fields) {
        const std::string option = names.option;
        std::printf("    { option: '%s', key: '%s', param: '%s', page: %s, part: '%s' },\n",
                    option.c_str(), option.substr(2).c_str(), names.param,
                    names.on_page ? "true" : "false", part_name(names.part));
    }
    std::puts("  ],");
}

void print_faults() {
    std::puts("  faults: [");
    for (const auto& [kind, name] : sa::fault_kinds) {
        std::printf("    '%s',\n", name);
    }
    std::puts("  ],");
}

// Every acceptance rule by name, the default first.
void print_acceptances() {
    std::puts("  acceptances: [");
    for (const sa::acceptance& rule : sa::every_acceptance()) {
        std::printf("    '%s',\n", sa::spelling_of(rule).name);
    }
    std::puts("  ],");
}

// A list of names as a script's array.
void print_names(const char* name, const std::vector<std::string>& names) {
    std::string listed;
    for (const std::string& each : names) {
        listed += (listed.empty() ? "'" : ", '") + each + "'";
    }
    std::printf("    %s: [%s],\n", name, listed.c_str());
}

// What a formula or a drawing may hold, which the words for a refused one state.
void print_formulas() {
    std::puts("  formulas: {");
    std::printf("    maxLength: %zu,\n", sa::max_formula_length);
    std::printf("    maxNesting: %d,\n", sa::max_formula_nesting);
    std::printf("    maxPoints: %zu,\n", sa::max_drawn_points);
    std::printf("    drawnPrefix: '%s',\n", std::string(sa::drawn_prefix).c_str());
    print_names("functions", sa::formula_function_names());
    print_names("landscapes", sa::landscape_names());
    std::puts("  },");
}

void print_limits() {
    std::puts("  limits: {");
    for (const sa::page::argument_range& range : sa::page::argument_ranges) {
        std::printf("    %s: { low: %d, high: %d },\n", range.name, range.low, range.high);
    }
    std::puts("  },");
}

}  // namespace

int main() {
    std::puts("'use strict';\n");
    std::puts("// Written by the build from the libraries' own tables (web/vocabulary.cpp): every");
    std::puts(
        "// field of a request as each front end names it, every kind of fault and acceptance");
    std::puts("// rule, and the ranges of the interface's own arguments. The page's scripts name");
    std::puts("// nothing that is not here.");
    std::puts("window.saPage = window.saPage || {};");
    std::puts("window.saPage.vocabulary = Object.freeze({");
    print_fields();
    print_faults();
    print_acceptances();
    print_limits();
    print_formulas();
    std::puts("});");
    return std::ferror(stdout) != 0 ? 1 : 0;
}
