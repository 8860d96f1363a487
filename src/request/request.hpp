#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "annealing/annealing.hpp"

// What a study may be asked for, the same for both front ends, sa_study's command line and
// the page: the request's values, the rules they meet, the fault of a value refused and the
// readers of a field's text, with the texts and the laws' parameters those rules need. The
// study plans a request into cases. Computes only: the front ends put faults into words.

namespace sa {

// ---- Texts that every front end and output shares

// printf into a std::string.
__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...);

// The shortest text that reads back as the same float, as the user would have typed it.
std::string shortest(float value);
std::string shortest(double widened_float);

// The shortest text that reads back as the same double.
std::string shortest_double(double value);

// "1 trial", "2 trials".
std::string count_of(std::int64_t count, const char* singular, const char* plural);

// `text` with each control character shown as '?', so that it cannot work on a terminal.
std::string printable(std::string_view text);

// `text` in single quotes for a message, cut to a readable length, control characters shown
// as '?'.
std::string quoted_value(std::string_view text);

// "a", "a or b", "a, b or c": words listed for prose, `last` before the last of them.
std::string listed(const std::vector<std::string>& words, const char* last);

// ---- A law's parameters, as the request's lists set them

// What the request's lists set of a law: its cooling factor alpha, or its levels L. A law
// takes the parameters it has; 0 stands for one it lacks.
bool takes_alpha(const cooling& law);
bool takes_levels(const cooling& law);
double alpha_of(const cooling& law);
cooling law_with(cooling law, double alpha, int levels);

// The laws that take a parameter (or, with `taking` false, those that do not).
std::vector<cooling> laws_taking(bool (*takes)(const cooling&), bool taking = true);

// Each law's name or title (`word`, a member of law_spelling).
std::vector<std::string> spelled(const std::vector<cooling>& laws, const char* law_spelling::*word);

// ---- What a study may be asked for: the request, the rules its values meet, their faults

inline constexpr long max_runs = 10'000'000;
inline constexpr std::uint64_t max_run_number = 4'294'967'295;  // seeds are clock seconds
inline constexpr int max_jobs = 4096;
inline constexpr std::size_t max_list_values = 10'000;  // so a mistyped step cannot exhaust memory
inline constexpr std::size_t max_schedules = 10'000;
inline constexpr int max_trials_per_level = 1'000'000;
inline constexpr std::int64_t max_trials_per_run = 1'000'000'000;
inline constexpr double max_temperature = 1e30;
inline constexpr int min_bits = 2;
inline constexpr int max_bits = 24;

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

// The fields of a request, each set by one option of the command line or field of the page.
enum class study_field {
    seed,
    runs,
    first_run,
    jobs,
    t0,
    alpha,
    t_final,
    trials,
    bits,
    laws,
    levels,
    target,
};

// What is wrong with a refused value. The comments give the words of sa_study's messages.
enum class fault_kind {
    missing_value,       // --t0 needs a value
    empty_item,          // --t0: an empty item in '1,,2'
    range_shape,         // --t0: a range is start:stop:step in '1:2'
    stop_below_start,    // --t0: stop below start in '1:0:1'
    bad_step,            // --t0: step 0 in '1:2:0'
    too_many_values,     // --t0: more than 10,000 values in '1:2:0.0000001'
    not_a_number,        // --alpha: 'x' is not a number
    not_finite,          // --t0: 'inf' is not a finite number
    not_whole,           // --runs: '0x10' is not a decimal whole number
    unrepresentable,     // --t0: '1e309' is out of range
    too_large,           // --t0: 1e+31 is out of range (at most 1e30)
    not_positive,        // --t0: must be positive, not -1
    rounds_to_zero,      // --t-final: 1e-50 rounds to 0 in single precision
    not_a_factor,        // --alpha: must be between 0 and 1, not 1.5
    rounds_to_one,       // --alpha: 0.999999999 rounds to 1 in single precision (the ...)
    out_of_range,        // --bits must be from 2 to 24, not 30
    not_one_number,      // --seed takes one number, not '1,2'
    bad_acceptance,      // --t0 auto:CHI needs an acceptance between 0 and 1, not '1'
    unknown_law,         // --cooling: 'cubic' is no cooling law (the names of the laws)
    alpha_without_law,   // --alpha sets (its laws) cooling, which --cooling leaves out
    levels_without_law,  // --levels sets (its laws) cooling, not (the others) (see --cooling)
    too_many_schedules,  // the lists make 80010000 schedules, more than the 10,000 a sweep ...
    too_many_runs,       // more runs than a front end takes, within the rules
    too_many_trials,     // the schedules make 2.1e+09 trials in all, more than the 10^9 ...
    no_level,            // T0 must lie above the final T, so that the schedule has a level ...
    run_too_long,        // T0 1e+30, ...: about 2.9e+09 trials per run, more than the 10^9 ...
    no_worsening_move,   // no move worsens the value in a sample of 10000 moves on 2 bits, ...
    past_last_run,       // runs 4294967290 to 4294967299 go past run 4294967295, after which ...
    // T0 1, ...: 69075 levels, more than the 10,000 levels that --population follows
    population_too_large,
};

// A refused value, for a front end to put into words. The strings are as sa_study's messages
// show them.
struct fault {
    fault_kind kind;
    std::optional<study_field> field;  // where the value was asked for, if in one field
    std::string value;  // what is refused: as typed (a field's text, or an item of it), or a case
    std::string shown;  // the value, or a figure it comes to, as a message shows it
    std::string limit;  // what it must meet
};

// A value, or the fault that kept it from being made: the little of C++23's std::expected
// that the libraries need. An error converts to it, so `return some_fault;` refuses.
template <typename T, typename E = fault>
class expected {
  public:
    // Implicit, as std::expected's are, so that a function returns either.
    // cppcheck-suppress noExplicitConstructor
    expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    // cppcheck-suppress noExplicitConstructor
    expected(E error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    const E& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, E> state_;
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
    std::vector<int> levels;
    std::optional<double> auto_t0;       // the acceptance T0 is chosen for, when automatic
    std::optional<double> auto_t_final;  // the same for the final T
    long runs = 1000;
    std::optional<std::uint32_t> seed;  // none: the front end's clock
    std::uint64_t first_run = 0;
    int jobs = 1;
    std::optional<double> target;  // percent of runs on the exact optimum
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
