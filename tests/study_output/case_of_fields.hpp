#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "plan/plan.hpp"

// The one case that a request of these fields plans, the other fields left as the demo has
// them: the tests build their schedules as a front end does.
inline sa::study_case case_of_fields(
    std::initializer_list<std::pair<sa::study_field, const char*>> fields) {
    sa::study_request request;
    for (const auto& [field, text] : fields) {
        EXPECT_FALSE(sa::read_field(field, text, request)) << text;
    }
    const sa::expected<sa::study_plan> plan = sa::plan_study(request, 1);
    if (!plan || plan->cases.size() != 1) {
        ADD_FAILURE() << "the fields plan no single case";
        return {sa::demo_schedule(sa::demo_landscape().grid()), 17};
    }
    return plan->cases.front();
}
