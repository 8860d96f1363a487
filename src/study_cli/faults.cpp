#include <algorithm>
#include <array>

#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

constexpr std::array<std::pair<study_field, const char*>, 12> field_options = {{
    {study_field::runs, "--runs"},
    {study_field::seed, "--seed"},
    {study_field::first_run, "--first-run"},
    {study_field::jobs, "--jobs"},
    {study_field::t0, "--t0"},
    {study_field::t_final, "--t-final"},
    {study_field::laws, "--cooling"},
    {study_field::alpha, "--alpha"},
    {study_field::levels, "--levels"},
    {study_field::trials, "--trials"},
    {study_field::bits, "--bits"},
    {study_field::target, "--target"},
}};

}  // namespace

const char* option_of(study_field field) {
    const auto* named = std::find_if(field_options.begin(), field_options.end(),
                                     [field](const auto& entry) { return entry.first == field; });
    return named->second;
}

std::optional<study_field> field_of_option(std::string_view option) {
    const auto* named =
        std::find_if(field_options.begin(), field_options.end(),
                     [option](const auto& entry) { return entry.second == option; });
    return named == field_options.end() ? std::nullopt : std::optional(named->first);
}

std::string message_of(const fault& refused) {
    return message_of(refused, refused.field ? option_of(*refused.field) : "");
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
        case fault_kind::bad_acceptance:
            return option + " auto:CHI needs an acceptance between 0 and 1, not " + shown;
        case fault_kind::unknown_law:
            return option + ": " + shown + " is no cooling law (" + limit + ")";
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
    }
    return option + ": " + shown;
}

}  // namespace sa
