#include <algorithm>
#include <utility>
#include <vector>

#include "formula/formula.hpp"
#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

// Why a formula is refused: its fault's name, its place, and what was found there.
std::string formula_message(const fault& refused, const std::string& option) {
    const std::string& found = refused.shown;
    const std::string& why = refused.limit;
    const std::string place = refused.position >= refused.value.size()
                                  ? "at the end"
                                  : "at character " + std::to_string(refused.position + 1);
    if (why == "too_long") {
        return option + ": a formula holds at most " + std::to_string(max_formula_length) +
               " characters";
    }
    const std::string head = option + ": " + quoted_value(refused.value) + ": ";
    const std::vector<std::pair<const char*, std::string>> words = {
        {"empty", "holds no formula"},
        {"too_deep", "nests more than " + std::to_string(max_formula_nesting) + " deep " + place},
        {"unexpected_character", found + " " + place + " has no place in a formula"},
        {"bad_number", found + " " + place + " is not a number"},
        {"unknown_name", found + " " + place + " is neither x, pi, e, a function (" +
                             listed(formula_function_names(), ", ") + ") nor a landscape (" +
                             listed(landscape_names(), ", ") + ")"},
        {"expected_value", "a value is missing " + place},
        {"expected_operator",
         "an operator is missing before " + found + " " + place + " (a product needs *)"},
        {"expected_parenthesis", "a ( is missing " + place},
        {"unclosed", "the ( " + place + " is never closed"},
        {"unopened", "the ) " + place + " closes nothing"},
        {"no_points_prefix", "a drawing starts with " + std::string(drawn_prefix)},
        {"too_few_points", "a drawing needs 2 points or more"},
        {"too_many_points", "a drawing holds at most " + std::to_string(max_drawn_points) +
                                " points, and another starts " + place},
        {"not_increasing", "the point " + place + " does not lie right of the one before"},
        {"wrong_arguments", found + " " + place +
                                " takes the wrong number of arguments: min and max two or more, "
                                "the others one"},
    };
    const auto said = std::find_if(words.begin(), words.end(),
                                   [&why](const auto& word) { return why == word.first; });
    return head + (said == words.end() ? why : said->second);
}

}  // namespace

std::string message_of(const fault& refused) {
    return message_of(refused, refused.field ? names_of(*refused.field).option : "");
}

std::string message_of(const fault& refused, const std::string& option) {
    const std::string& shown = refused.shown;
    const std::string& limit = refused.limit;
    switch (refused.kind) {
        case fault_kind::missing_value:
            return option + " needs a value";
        case fault_kind::empty_item:
            return option + ": an empty item in " + shown;
        case fault_kind::range_shape:
            return option + ": a range is start:stop:step in " + shown;
        case fault_kind::stop_below_start:
            return option + ": stop below start in " + shown;
        case fault_kind::bad_step:
            return option + ": step " + refused.value + " in " + shown;
        case fault_kind::too_many_values:
            return option + ": more than " + limit + " values in " + shown;
        case fault_kind::not_a_number:
            return option + ": " + shown + " is not a number";
        case fault_kind::not_finite:
            return option + ": " + shown + " is not a finite number";
        case fault_kind::not_whole:
            return option + ": " + shown + " is not a decimal whole number";
        case fault_kind::unrepresentable:
            return option + ": " + shown + " is out of range";
        case fault_kind::too_large:
            return option + ": " + shown + " is out of range (at most " + limit + ")";
        case fault_kind::not_positive:
            return option + ": must be positive, not " + shown;
        case fault_kind::rounds_to_zero:
            return option + ": " + shown + " rounds to 0 in single precision";
        case fault_kind::not_a_factor:
            return option + ": must be between 0 and 1, not " + shown;
        case fault_kind::rounds_to_one:
            return option + ": " + shown +
                   " rounds to 1 in single precision (the largest below 1 is " + limit + ")";
        case fault_kind::out_of_range:
            return option + " must be " + limit + ", not " + shown;
        case fault_kind::not_one_number:
            return option + " takes one number, not " + shown;
        case fault_kind::bad_chi:
            return option + " auto:CHI needs an acceptance between 0 and 1, not " + shown;
        case fault_kind::automatic_in_list:
            return option + ": auto chooses one temperature alone, not in a list: " + shown;
        case fault_kind::unknown_law:
            return option + ": " + shown + " is no cooling law (" + limit + ")";
        case fault_kind::unknown_acceptance:
            return option + ": " + shown + " is no acceptance rule (" + limit + ")";
        case fault_kind::alpha_without_law:
            return option + " sets " + limit + " cooling, which --cooling leaves out";
        case fault_kind::levels_without_law:
            return option + " sets " + limit + " cooling, not " + shown + " (see --cooling)";
        case fault_kind::too_many_schedules:
            return "the lists make " + shown + " schedules, more than the " + limit +
                   " a sweep may hold";
        case fault_kind::too_many_runs:
            return option + " must be at most " + limit;
        case fault_kind::no_level:
            return "T0 must lie above the final T, so that the schedule has a level (T0 " + shown +
                   ", final T " + limit + ")";
        case fault_kind::run_too_long:
            return refused.value + ": about " + shown + " trials per run, more than the " + limit +
                   " a run may make";
        case fault_kind::no_worsening_move:
            return "no move worsens the value in a sample of " + limit + " moves on " + shown +
                   " bits, so no temperature can be chosen from it";
        case fault_kind::past_last_run:
            return "runs " + refused.value + " to " + shown + " go past run " + limit +
                   ", after which the seeds repeat";
        case fault_kind::too_many_trials:
            return "the schedules make " + shown + " trials in all, more than the " + limit +
                   " a study may make here";
        case fault_kind::population_too_large:
            return refused.value + ": " + shown + ", more than the " + limit +
                   " that --population follows";
        case fault_kind::bad_formula:
            return formula_message(refused, option);
        case fault_kind::not_finite_on_grid:
            return option + ": " + quoted_value(refused.value) + " is not finite at x = " + shown +
                   " (on " + limit + " bits)";
        case fault_kind::empty_interval:
            return "--x-max must lie above --x-min (x-min " + limit + ", x-max " + shown + ")";
        case fault_kind::grid_too_fine:
            return refused.value + " bits on " + shown +
                   ": the grid's points are not distinct in single precision";
    }
    return option + ": " + shown;
}

}  // namespace sa
