#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The words a study is asked for in, each listed once: the fields of a request as every front
// end names them, and the kinds of fault a refused value may have, by which each front end keys
// its own words for them. A refused value is a fault; a computation that can fail returns its
// value or its fault.

namespace sa {

// ---- The fields of a request

// Each is set by one option of sa_study's command line, and one name of the page's interface.
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
    acceptance,
    landscape,
    x_min,
    x_max,
};

// What a field is about: which runs (their seeds), the schedule they follow, the study made of
// them, or the landscape they search.
enum class field_part { runs, schedule, study, landscape };

// How the front ends name a field.
struct field_names {
    study_field field;
    const char* option;  // sa_study's option; without its dashes, the key of the page's address
    const char* param;   // its name in the page's interface
    bool on_page;        // whether the page asks for it
    field_part part;
};

// Every field, in the order of study_field, which is the order the page reads them in.
inline constexpr std::array<field_names, 16> study_fields = {{
    {study_field::seed, "--seed", "seed", true, field_part::runs},
    {study_field::runs, "--runs", "runs", true, field_part::study},
    {study_field::first_run, "--first-run", "firstRun", false, field_part::runs},
    {study_field::jobs, "--jobs", "jobs", false, field_part::study},
    {study_field::t0, "--t0", "t0", true, field_part::schedule},
    {study_field::alpha, "--alpha", "alpha", true, field_part::schedule},
    {study_field::t_final, "--t-final", "tFinal", true, field_part::schedule},
    {study_field::trials, "--trials", "trials", true, field_part::schedule},
    {study_field::bits, "--bits", "bits", true, field_part::schedule},
    {study_field::laws, "--cooling", "cooling", false, field_part::schedule},
    {study_field::levels, "--levels", "levels", false, field_part::schedule},
    {study_field::target, "--target", "target", false, field_part::study},
    {study_field::acceptance, "--acceptance", "acceptance", true, field_part::schedule},
    {study_field::landscape, "--landscape", "landscape", true, field_part::landscape},
    {study_field::x_min, "--x-min", "xMin", true, field_part::landscape},
    {study_field::x_max, "--x-max", "xMax", true, field_part::landscape},
}};

constexpr const field_names& names_of(study_field field) {
    return study_fields[static_cast<std::size_t>(field)];
}

// The field an option or a name of the page's interface sets; none for any other text.
std::optional<study_field> field_of_option(std::string_view option);
std::optional<study_field> field_of_param(std::string_view param);

// ---- A closed choice, such as a cooling law

// How one of its alternatives is written: its name as the command line takes it and files hold
// it, its title in prose, and its label in a column as narrow as a cooling factor.
struct spelling {
    const char* name;
    const char* title;
    const char* label;
};

// A choice is a std::variant of types, each with a static `spelled`.

template <typename Choice>
const spelling& spelling_of_choice(const Choice& choice) {
    return std::visit(
        [](const auto& alternative) -> const spelling& { return alternative.spelled; }, choice);
}

// One of each alternative, made by default, in the variant's order.
template <typename Choice>
std::vector<Choice> every_choice() {
    return []<std::size_t... i>(std::index_sequence<i...>) {
        return std::vector<Choice>{Choice(std::in_place_index<i>)...};
    }
    (std::make_index_sequence<std::variant_size_v<Choice>>{});
}

// The alternative whose name is `name`; none for any other text.
template <typename Choice>
std::optional<Choice> choice_named(std::string_view name) {
    const std::vector<Choice> choices = every_choice<Choice>();
    const auto named = std::find_if(choices.begin(), choices.end(), [name](const Choice& choice) {
        return spelling_of_choice(choice).name == name;
    });
    return named == choices.end() ? std::nullopt : std::optional<Choice>(*named);
}

// Each choice's name, title or label (`word`, a member of spelling).
template <typename Choice>
std::vector<std::string> spelled(const std::vector<Choice>& choices, const char* spelling::*word) {
    std::vector<std::string> words(choices.size());
    std::transform(choices.begin(), choices.end(), words.begin(),
                   [word](const Choice& choice) { return spelling_of_choice(choice).*word; });
    return words;
}

// ---- What is wrong with a refused value

// The comments give the words of sa_study's messages.
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
    bad_chi,             // --t0 auto:CHI needs an acceptance between 0 and 1, not '1'
    automatic_in_list,   // --t0: auto chooses one temperature alone, not in a list: 'auto,10'
    unknown_law,         // --cooling: 'cubic' is no cooling law (the names of the laws)
    unknown_acceptance,  // --acceptance: 'x' is no acceptance rule (demo or continuous)
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
    // --landscape: 'sin(x' leaves the '(' at character 4 open (limit: why, as a formula's
    // fault names it, and position: where, from 0)
    bad_formula,
    not_finite_on_grid,  // --landscape: 'log(x)' is not finite at x = 0 (on 17 bits)
    empty_interval,      // --x-max must lie above --x-min (x-min 1, x-max 0)
    grid_too_fine,       // 24 bits on [1000, 1000.001]: the grid's points are not distinct ...
};

// Every kind's name, by which the page keys its words, in the order of fault_kind.
inline constexpr std::array<std::pair<fault_kind, const char*>, 35> fault_kinds = {{
    {fault_kind::missing_value, "missing_value"},
    {fault_kind::empty_item, "empty_item"},
    {fault_kind::range_shape, "range_shape"},
    {fault_kind::stop_below_start, "stop_below_start"},
    {fault_kind::bad_step, "bad_step"},
    {fault_kind::too_many_values, "too_many_values"},
    {fault_kind::not_a_number, "not_a_number"},
    {fault_kind::not_finite, "not_finite"},
    {fault_kind::not_whole, "not_whole"},
    {fault_kind::unrepresentable, "unrepresentable"},
    {fault_kind::too_large, "too_large"},
    {fault_kind::not_positive, "not_positive"},
    {fault_kind::rounds_to_zero, "rounds_to_zero"},
    {fault_kind::not_a_factor, "not_a_factor"},
    {fault_kind::rounds_to_one, "rounds_to_one"},
    {fault_kind::out_of_range, "out_of_range"},
    {fault_kind::not_one_number, "not_one_number"},
    {fault_kind::bad_chi, "bad_chi"},
    {fault_kind::automatic_in_list, "automatic_in_list"},
    {fault_kind::unknown_law, "unknown_law"},
    {fault_kind::unknown_acceptance, "unknown_acceptance"},
    {fault_kind::alpha_without_law, "alpha_without_law"},
    {fault_kind::levels_without_law, "levels_without_law"},
    {fault_kind::too_many_schedules, "too_many_schedules"},
    {fault_kind::too_many_runs, "too_many_runs"},
    {fault_kind::too_many_trials, "too_many_trials"},
    {fault_kind::no_level, "no_level"},
    {fault_kind::run_too_long, "run_too_long"},
    {fault_kind::no_worsening_move, "no_worsening_move"},
    {fault_kind::past_last_run, "past_last_run"},
    {fault_kind::population_too_large, "population_too_large"},
    {fault_kind::bad_formula, "bad_formula"},
    {fault_kind::not_finite_on_grid, "not_finite_on_grid"},
    {fault_kind::empty_interval, "empty_interval"},
    {fault_kind::grid_too_fine, "grid_too_fine"},
}};

constexpr const char* name_of(fault_kind kind) {
    return fault_kinds[static_cast<std::size_t>(kind)].second;
}

// A refused value, for a front end to put into words. The strings are as sa_study's messages
// show them.
struct fault {
    fault_kind kind;
    std::optional<study_field> field;  // where the value was asked for, if in one field
    std::string value;  // what is refused: as typed (a field's text, or an item of it), or a case
    std::string shown;  // the value, or a figure it comes to, as a message shows it
    std::string limit;  // what it must meet
    std::size_t position = 0;  // for a formula: the character, from 0, where it goes wrong
};

// The fault with the field it lies in.
inline fault in_field(fault wrong, study_field field) {
    wrong.field = field;
    return wrong;
}

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

}  // namespace sa
