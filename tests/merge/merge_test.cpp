#include "merge/merge.hpp"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "support/schedules.hpp"

namespace {

// A CSV's fields by column, without the timings, which differ from run to run, and without
// whether the medians were measured, which the sum of parts cannot be.
std::vector<std::string> untimed_fields(const std::string& csv) {
    static const std::set<std::string> timings = {"median_run_us", "total_run_seconds",
                                                  "tts99_seconds", "peak_tts99_seconds",
                                                  "median_measured"};
    std::vector<std::vector<std::string>> lines;
    std::size_t start = 0;
    while (start < csv.size()) {
        const std::size_t end = csv.find('\n', start);
        std::vector<std::string>& fields = lines.emplace_back();
        std::size_t field_start = start;
        while (true) {
            const std::size_t comma = csv.find(',', field_start);
            if (comma == std::string::npos || comma > end) {
                fields.push_back(csv.substr(field_start, end - field_start));
                break;
            }
            fields.push_back(csv.substr(field_start, comma - field_start));
            field_start = comma + 1;
        }
        start = end + 1;
    }
    std::vector<std::string> kept;
    for (std::size_t line = 1; line < lines.size(); ++line) {
        for (std::size_t column = 0; column < lines[0].size(); ++column) {
            if (!timings.contains(lines[0][column])) {
                kept.push_back(lines[0][column] + "=" + lines[line].at(column));
            }
        }
    }
    return kept;
}

// The CSV of the cases' runs `runs` on their grid, as a study writes it.
std::string study_csv_of(const std::vector<sa::study_case>& cases, const sa::seed_range& runs,
                         sa::grid_cache& grids) {
    const sa::plan_results made = sa::run_plan(cases, runs, 2, grids);
    return sa::study_csv(made.results, {static_cast<std::uint32_t>(runs.seed), runs.first, true});
}

// A study split into parts, each run and written as a study of its runs, read back and added up,
// is the study of all the runs in every field but its timings: over schedules, grids, seeds and
// counts of parts, more parts than runs among them.
TEST(StudySum, PartsAddUpToTheWholeStudy) {
    struct whole_study {
        std::vector<sa::study_case> cases;
        sa::seed_range runs;
    };
    const sa::encoding demo = sa::encoding_for(sa::demo_problem);
    const sa::study_case demos{sa::demo_schedule(demo), demo.n_bits};
    const sa::study_case quench{schedule_of(1.0, 0.001, sa::geometric{0.5}, 8), 12};
    const sa::study_case slow{
        schedule_of(1.0, 0.01, sa::geometric{0.95}, 4, sa::continuous_acceptance{}), 10};
    const std::vector<whole_study> studies = {
        {{demos}, {1, 0, 1000}},
        {{quench, slow}, {4'294'967'000U, 30, 997}},
        {{slow}, {7, 5, 3}},
    };
    sa::grid_cache grids;
    for (const whole_study& study : studies) {
        const std::vector<std::string> whole =
            untimed_fields(study_csv_of(study.cases, study.runs, grids));
        for (const int workers : {1, 2, 3, 8}) {
            sa::study_sum sum;
            std::vector<sa::study_part> parts;
            for (const sa::seed_range& range : sa::split_runs(study.runs, workers)) {
                auto rows = sa::read_study_csv(study_csv_of(study.cases, range, grids));
                ASSERT_TRUE(rows.has_value()) << rows.error().words;
                parts.push_back({"part " + std::to_string(parts.size() + 1), std::move(*rows)});
                ASSERT_EQ(sum.add(parts.back()), std::nullopt);
            }
            const std::uint64_t last =
                study.runs.first + static_cast<std::uint64_t>(study.runs.count) - 1;
            EXPECT_EQ(sa::uncovered_runs(parts, study.runs.first, last), std::nullopt);
            const std::string added = sa::study_csv(
                sum.results(),
                {static_cast<std::uint32_t>(study.runs.seed), study.runs.first, false});
            EXPECT_EQ(untimed_fields(added), whole) << workers << " parts of " << study.runs.count;
        }
    }
}

}  // namespace
