#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "annealing/annealing.hpp"
#include "text/text.hpp"
#include "vocabulary/vocabulary.hpp"

// What a study may be asked for, the same for both front ends, sa_study's command line and
// the page: the request's values, the rules they meet and the readers of a field's text. A
// schedule's own values meet the schedule's rules (annealing/annealing.hpp); the plan expands a
// request into cases. Computes only: the front ends put faults into words.

namespace sa {

// ---- What a study may be asked for: the request and the rules its values meet

inline constexpr long max_runs = 10'000'000;
inline constexpr std::uint64_t max_run_number = 4'294'967'295;  // seeds are clock seconds
inline constexpr int max_jobs = 4096;
inline constexpr std::size_t max_list_values = 10'000;  // so a mistyped step cannot exhaust memory
inline constexpr std::size_t max_schedules = 10'000;
inline constexpr int min_bits = 2;
inline constexpr int max_bits = 24;
// The ends of the interval a landscape is searched on lie within +-1e6.
inline constexpr double max_interval_end = 1e6;

// The acceptances that automatic temperatures are chosen for unless a request says.
// Kirkpatrick's criterion for T0: worsening moves accepted 80 % of the time on average.
inline constexpr double initial_acceptance = 0.8;
// For the final T: the smallest worsening seen accepted once in a hundred.
inline constexpr double final_acceptance = 0.01;

// What a front end lets a study grow to, within the rules: the command line all they allow,
// the page less.
struct study_caps {
    long runs = max_runs;
    std::size_t schedules = max_schedules;
    std::int64_t trials = INT64_MAX;  // made by all the runs of all the schedules
};

// How numbers are written: the decimal point, and what separates the items of a list.
struct number_style {
    char decimal_point = '.';
    char list_separator = ',';
};

// The items of a list, empty ones included.
std::vector<std::string_view> list_items(std::string_view text, const number_style& style = {});

// A value, or a list of values and ranges start:stop:step, at most max_list_values in all:
// the values, or why the text is none. Reals are finite, whole numbers decimal.
expected<std::vector<double>> read_reals(std::string_view text, const number_style& style = {});
expected<std::vector<std::int64_t>> read_wholes(std::string_view text,
                                                const number_style& style = {});

// A study as a front end asks for it. An empty list stands for the demo's own value; the
// demo's trials per level follow the number of digits (bits / 2). A law with a cooling factor
// sweeps alpha, a law with levels sweeps L; without a list of L it runs as many levels as the
// demo's law takes between the same temperatures, so the laws compare at the same cost. Real
// values are rounded to single precision, as the demo's own constants are.
struct study_request {
    std::vector<float> t0;
    std::vector<float> alpha;
    std::vector<float> t_final;
    std::vector<int> trials;
    std::vector<int> bits;
    std::vector<cooling> laws;  // their parameters set by the lists; empty: the demo's law
    std::vector<acceptance> acceptances;  // empty: the demo's rule
    std::vector<int> levels;
    std::optional<double> auto_t0;       // the acceptance T0 is chosen for, when automatic
    std::optional<double> auto_t_final;  // the same for the final T
    long runs = 1000;
    std::optional<std::uint32_t> seed;  // none: the front end's clock
    std::uint64_t first_run = 0;
    int jobs = 1;
    std::optional<double> target;                // percent of runs on the exact optimum
    sa::landscape landscape = demo_landscape();  // searched by every case
};

// Reads one field's text into the request by the rules its values must meet, in the order
// typed: the first fault, or nothing.
std::optional<fault> read_field(study_field field, std::string_view text, study_request& request,
                                const number_style& style = {});

// One whole number from `low` to `high`, as a field reads it; `limit` says the range in a
// message ("from 0 to 100"). The fault names no field.
expected<std::int64_t> read_whole_within(std::string_view text, std::int64_t low, std::int64_t high,
                                         const std::string& limit, const number_style& style = {});

// One finite real, as a field reads it. The fault names no field.
expected<double> read_one_real(std::string_view text, const number_style& style = {});

}  // namespace sa
