#pragma once

#include <array>
#include <cstdint>

#include "request/request.hpp"

// What the page takes beside the request's own values, for the bindings and for the table of
// names the page's scripts read (web/vocabulary.cpp).

namespace sa::page {

// An argument of the page's interface that is not a value of a request, and the range it lies
// in, which the interface checks before it calls the module.
struct argument_range {
    const char* name;
    int low;
    int high;
};

// Bins and columns: more than any screen shows would only cost memory. Workers: each holds a
// grid of its own, 200 MB at 24 bits, so no more than a desktop's cores.
inline constexpr std::array<argument_range, 3> argument_ranges = {{
    {"columns", 1, 10'000},
    {"bins", 1, 1'000},
    {"workers", 1, 8},
}};

// The trials that one call of the page may make in all, whatever it runs: about half a minute of
// a study in the page's worker (doc/web.md).
inline constexpr std::int64_t max_trials = 1'000'000'000;

// The page runs one schedule at a time, and up to this many runs of it; a sweep, up to 100
// schedules.
inline constexpr study_caps single_caps{100'000, 1, max_trials};
inline constexpr study_caps sweep_caps{100'000, 100, max_trials};

}  // namespace sa::page
