#include "request/request.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using enum sa::study_field;
using enum sa::fault_kind;

const sa::number_style decimal_comma{',', ';'};

// What a field's text set in the request, as numbers: its list or its one value, the acceptance
// asked for by "auto", or the laws by their place among every_law().
std::vector<double> set_by(sa::study_field field, const sa::study_request& request) {
    const auto widened = [](const auto& values) {
        return std::vector<double>(values.begin(), values.end());
    };
    switch (field) {
        case seed:
            return {static_cast<double>(request.seed.value_or(0))};
        case runs:
            return {static_cast<double>(request.runs)};
        case first_run:
            return {static_cast<double>(request.first_run)};
        case jobs:
            return {static_cast<double>(request.jobs)};
        case t0:
            return request.auto_t0 ? std::vector{*request.auto_t0} : widened(request.t0);
        case alpha:
            return widened(request.alpha);
        case t_final:
            return request.auto_t_final ? std::vector{*request.auto_t_final}
                                        : widened(request.t_final);
        case trials:
            return widened(request.trials);
        case bits:
            return widened(request.bits);
        case laws: {
            std::vector<double> places;
            for (const sa::cooling& law : request.laws) {
                places.push_back(static_cast<double>(law.index()));
            }
            return places;
        }
        case levels:
            return widened(request.levels);
        case target:
            return {request.target.value_or(-1.0)};
        case acceptance: {
            std::vector<double> places;
            for (const sa::acceptance& rule : request.acceptances) {
                places.push_back(static_cast<double>(rule.index()));
            }
            return places;
        }
        case x_min:
            return {request.landscape.problem().x_min};
        case x_max:
            return {request.landscape.problem().x_max};
        case landscape:  // a text, not numbers
            break;
    }
    return {};
}

// Each field's values as typed: lists, ranges start:stop:step whose last step lands within
// rounding of stop (and no further), the decimal comma, and every limit taken at its edge.
// Reals are rounded to single precision.
TEST(StudyRequest, ReadsEachFieldsValuesUpToItsLimits) {
    struct reading {
        sa::study_field field;
        const char* text;
        std::vector<double> values;
        sa::number_style style = {};
    };
    const std::vector<reading> readings = {
        {t0, "0.5,1.5", {0.5, 1.5}},
        {t0, "1:2:0.25,7", {1.0, 1.25, 1.5, 1.75, 2.0, 7.0}},
        {t0, "3:3:1", {3.0}},
        {t_final, "0.1:0.3:0.1", {0.1F, 0.2F, 0.3F}},  // 0.1 + 2 * 0.1: just past 0.3
        {t0, "1:1.9999999:1", {1.0}},                  // 2 lies past stop by more than rounding
        {t0, "0,5;1,5:2,5:0,5", {0.5, 1.5, 2.0, 2.5}, decimal_comma},
        {t_final, "0,1:0,3:0,1", {0.1F, 0.2F, 0.3F}, decimal_comma},
        {bits, "2:24:11", {2, 13, 24}},
        {trials, "2:8:3", {2, 5, 8}},
        {bits, "3;5", {3, 5}, decimal_comma},
        {runs, "010", {10}},
        {runs, "1", {1}},
        {runs, "10000000", {1e7}},
        {seed, "0", {0}},
        {seed, "4294967295", {4294967295.0}},
        {first_run, "4294967295", {4294967295.0}},
        {jobs, "1", {1}},
        {jobs, "4096", {4096}},
        {trials, "1,1000000", {1, 1e6}},
        {bits, "2,24", {2, 24}},
        {levels, "1,1000000000", {1, 1e9}},
        {t0, "1e30", {1e30F}},
        {t_final, "1e-45", {1e-45F}},
        {alpha, "1e-45,0.99999994", {1e-45F, 0.99999994F}},
        {target, "0", {0.0}},
        {target, "100", {100.0}},
        {t0, "auto", {0.8}},
        {t_final, "auto", {0.01}},
        {t0, "auto:0.5", {0.5}},
        {t_final, "auto:0,25", {0.25}, decimal_comma},
        {laws, "lundy-mees,geometric,linear", {2, 0, 1}},
        {acceptance, "continuous,demo", {1, 0}},
        {acceptance, "demo;continuous", {0, 1}, decimal_comma},
    };
    for (const reading& test : readings) {
        sa::study_request request;
        const std::optional<sa::fault> wrong =
            sa::read_field(test.field, test.text, request, test.style);
        EXPECT_FALSE(wrong) << test.text << ": " << wrong->shown;
        EXPECT_EQ(set_by(test.field, request), test.values) << test.text;
    }
    // At most 10,000 values in all, single ones and ranges alike.
    EXPECT_EQ(sa::read_reals("1:9999:1,5")->size(), 10'000U);
    EXPECT_EQ(sa::read_wholes("1:10000:1")->size(), 10'000U);
}

// Each value refused with its fault: the kind, the field, the value as typed (or the item, or
// nothing where the fault lies in the list's shape), the value as a message shows it, and the
// limit it breaks, with every limit taken one step past its edge.
TEST(StudyRequest, RefusesEachValueWithItsExactFault) {
    struct refusal {
        sa::study_field field;
        const char* text;
        sa::fault_kind kind;
        const char* value;
        const char* shown;
        const char* limit;
        sa::number_style style = {};
    };
    const std::vector<refusal> refusals = {
        {t0, "", missing_value, "", "", ""},
        {target, "", missing_value, "", "", ""},
        {t0, "1,,2", empty_item, "", "'1,,2'", ""},
        {t0, "5,1:2", range_shape, "", "'5,1:2'", ""},
        {t0, "5,1:0:1", stop_below_start, "", "'5,1:0:1'", ""},
        {t0, "5,1:2:0", bad_step, "0", "'5,1:2:0'", ""},
        {t0, "5,1:2:-1", bad_step, "-1", "'5,1:2:-1'", ""},
        {t0, "1:10001:1", too_many_values, "", "'1:10001:1'", "10,000"},
        {t0, "1:10000:1,5", too_many_values, "", "'1:10000:1,5'", "10,000"},
        {alpha, "0.5,x", not_a_number, "x", "'x'", ""},
        {t0, "1e309x", not_a_number, "1e309x", "'1e309x'", ""},
        {t0, "infx", not_a_number, "infx", "'infx'", ""},
        {t0, "autox", not_a_number, "autox", "'autox'", ""},
        {t0, "0.5", not_a_number, "0.5", "'0.5'", "", decimal_comma},
        {t0, "inf", not_finite, "inf", "'inf'", ""},
        {runs, "0x10", not_whole, "0x10", "'0x10'", ""},
        {bits, "1.0", not_whole, "1.0", "'1.0'", ""},
        {t0, "1e309", unrepresentable, "1e309", "'1e309'", ""},
        {first_run, "18446744073709551616", unrepresentable, "18446744073709551616",
         "'18446744073709551616'", ""},
        {t0, "1e31", too_large, "1e+31", "1e+31", "1e30"},
        {t0, "-1e31", too_large, "-1e+31", "-1e+31", "1e30"},
        {t0, "0", not_positive, "0", "0", ""},
        {t_final, "-1", not_positive, "-1", "-1", ""},
        {t_final, "1e-50", rounds_to_zero, "1e-50", "1e-50", ""},
        {alpha, "0", not_a_factor, "0", "0", ""},
        {alpha, "1", not_a_factor, "1", "1", ""},
        {alpha, "1e-50", rounds_to_zero, "1e-50", "1e-50", ""},
        {alpha, "0.999999999", rounds_to_one, "0.999999999", "0.999999999", "0.99999994"},
        {runs, "0", out_of_range, "0", "0", "from 1 to 10^7"},
        {runs, "10000001", out_of_range, "10000001", "10000001", "from 1 to 10^7"},
        {seed, "4294967296", out_of_range, "4294967296", "4294967296", "from 0 to 4294967295"},
        {first_run, "-1", out_of_range, "-1", "-1", "from 0 to 4294967295"},
        {first_run, "4294967296", out_of_range, "4294967296", "4294967296", "from 0 to 4294967295"},
        {jobs, "0", out_of_range, "0", "0", "from 1 to 4096"},
        {jobs, "4097", out_of_range, "4097", "4097", "from 1 to 4096"},
        {trials, "0", out_of_range, "0", "0", "from 1 to 10^6 trials per level"},
        {trials, "8,1000001", out_of_range, "1000001", "1000001",
         "from 1 to 10^6 trials per level"},
        {bits, "1", out_of_range, "1", "1", "from 2 to 24"},
        {bits, "25", out_of_range, "25", "25", "from 2 to 24"},
        {levels, "0", out_of_range, "0", "0", "from 1 to 10^9"},
        {levels, "1000000001", out_of_range, "1000000001", "1000000001", "from 1 to 10^9"},
        {target, "100.5", out_of_range, "100.5", "'100.5'", "a percentage from 0 to 100"},
        {target, "1,2", out_of_range, "1,2", "'1,2'", "a percentage from 0 to 100"},
        {runs, "1,2", not_one_number, "1,2", "'1,2'", ""},
        {seed, "1:3:1", not_one_number, "1:3:1", "'1:3:1'", ""},
        {t0, "auto:0", bad_chi, "0", "'0'", ""},
        {t_final, "auto:1", bad_chi, "1", "'1'", ""},
        {t0, "auto:0.5,0.6", bad_chi, "0.5,0.6", "'0.5,0.6'", ""},
        {t0, "auto:", bad_chi, "", "''", ""},
        {laws, "linear,cubic", unknown_law, "cubic", "'cubic'", "geometric, linear or lundy-mees"},
        {acceptance, "demo,metropolis", unknown_acceptance, "metropolis", "'metropolis'",
         "demo or continuous"},
        {acceptance, "demo,", empty_item, "demo,", "'demo,'", ""},
    };
    for (const refusal& test : refusals) {
        sa::study_request request;
        const std::optional<sa::fault> wrong =
            sa::read_field(test.field, test.text, request, test.style);
        if (!wrong) {
            ADD_FAILURE() << test.text << " is taken";
            continue;
        }
        EXPECT_EQ(std::tie(wrong->kind, wrong->field, wrong->value, wrong->shown, wrong->limit),
                  std::make_tuple(test.kind, std::optional(test.field), std::string(test.value),
                                  std::string(test.shown), std::string(test.limit)))
            << test.text;
    }
    // The readers a CSV's fields go through name no field.
    const auto two = sa::read_one_real("1:2:1");
    ASSERT_FALSE(two);
    EXPECT_EQ(std::tie(two.error().kind, two.error().field, two.error().shown),
              std::make_tuple(not_one_number, std::optional<sa::study_field>(), "'1:2:1'"));
}

// The texts that faults and reports are built of, and a law's parameters as the lists set them.
TEST(StudyRequest, TextsAndLawParameters) {
    const std::string forty(40, 'x');
    const std::vector<std::pair<std::string, std::string>> texts = {
        {sa::count_of(1, "run", "runs"), "1 run"},
        {sa::count_of(0, "run", "runs"), "0 runs"},
        {sa::count_of(10'000'000, "run", "runs"), "10000000 runs"},
        {sa::printable("a\tb\x7f c\x1f"), "a?b? c?"},
        {sa::quoted_value(forty), "'" + forty + "'"},
        {sa::quoted_value(forty + "y"), "'" + std::string(37, 'x') + "...'"},
        {sa::quoted_value("a\nb"), "'a?b'"},
        {sa::listed({}, " or "), ""},
        {sa::listed({"a"}, " or "), "a"},
        {sa::listed({"a", "b"}, " or "), "a or b"},
        {sa::listed({"a", "b", "c"}, " and "), "a, b and c"},
        {sa::shortest(0.1F), "0.1"},
        {sa::shortest(static_cast<double>(0.1F)), "0.1"},
        {sa::shortest(1e-45F), "1e-45"},
        {sa::shortest_double(0.1), "0.1"},
        {sa::format("%s|%d", std::string(300, 'z').c_str(), 42), std::string(300, 'z') + "|42"},
        {sa::listed(sa::spelled(sa::every_law(), &sa::spelling::title), " or "),
         "geometric, linear or Lundy-Mees"},
        {sa::listed(sa::spelled(sa::laws_taking(sa::takes_levels), &sa::spelling::name), ","),
         "linear,lundy-mees"},
        {sa::listed(sa::spelled(sa::laws_taking(sa::takes_alpha, false), &sa::spelling::label),
                    ","),
         "linear,L-M"},
    };
    for (const auto& [text, expected] : texts) {
        EXPECT_EQ(text, expected);
    }
    EXPECT_EQ(sa::law_with(sa::linear{}, 0.5, 7), sa::cooling(sa::linear{7}));
    EXPECT_EQ(sa::law_with(sa::lundy_mees{}, 0.5, 9), sa::cooling(sa::lundy_mees{9}));
    EXPECT_EQ(sa::law_with(sa::geometric{}, 0.5, 7), sa::cooling(sa::geometric{0.5}));
    EXPECT_EQ(sa::alpha_of(sa::geometric{0.25}), 0.25);
    EXPECT_EQ(sa::alpha_of(sa::linear{7}), 0.0);
}

}  // namespace
