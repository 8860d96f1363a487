#include "request/request.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace {

// A range of whole numbers ends at its last step within stop, and a number style reads a
// decimal comma by the same rules, refusing the point it replaces.
TEST(StudyRequest, RangesAndNumberStylesReadByTheSameRules) {
    using enum sa::study_field;
    EXPECT_EQ(*sa::read_wholes("2:8:3"), (std::vector<std::int64_t>{2, 5, 8}));

    const sa::number_style comma{',', ';'};
    sa::study_request commas;
    EXPECT_FALSE(sa::read_field(t0, "0,5;1,5:2,5:0,5", commas, comma));
    EXPECT_EQ(commas.t0, (std::vector<float>{0.5F, 1.5F, 2.0F, 2.5F}));
    sa::study_request request;
    const std::optional<sa::fault> dot = sa::read_field(t0, "0.5", request, comma);
    ASSERT_TRUE(dot);
    EXPECT_EQ(dot->kind, sa::fault_kind::not_a_number);
    EXPECT_EQ(dot->field, t0);
}

}  // namespace
