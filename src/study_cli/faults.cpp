#include "study_cli/study_cli.hpp"

namespace sa {

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
    }
    return option + ": " + shown;
}

}  // namespace sa
