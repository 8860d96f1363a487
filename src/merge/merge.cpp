#include "merge/merge.hpp"

#include <algorithm>

namespace sa {

std::string place_in(const std::string& name, std::size_t line, const std::string& column) {
    std::string text = name;
    if (line > 0) {
        text += " line " + std::to_string(line);
    }
    return column.empty() ? text : text + ", " + column;
}

namespace {

// `what` of a row, which must be that of the row it is held against.
template <typename T>
std::optional<std::string> differs(const std::string& where, const char* column, T value,
                                   const std::string& against, T expected_value) {
    if (value == expected_value) {
        return std::nullopt;
    }
    return where + ", " + column + ": " + std::to_string(value) + ", where " + against + " has " +
           std::to_string(expected_value);
}

}  // namespace

std::optional<std::string> ragged_part(const study_part& part) {
    const study_origin& first = part.rows.front().origin;
    const long runs = part.rows.front().result.summary.runs;
    for (std::size_t i = 1; i < part.rows.size(); ++i) {
        const std::string where = place_in(part.name, i + 2);
        const study_csv_row& row = part.rows[i];
        if (auto wrong =
                differs(where, "first_run", row.origin.first_run, "line 2", first.first_run)) {
            return wrong;
        }
        if (auto wrong = differs(where, "runs", row.result.summary.runs, "line 2", runs)) {
            return wrong;
        }
    }
    return std::nullopt;
}

std::optional<std::string> uncovered_runs(const std::vector<study_part>& parts, std::uint64_t first,
                                          std::uint64_t last) {
    const auto outside = std::find_if(parts.begin(), parts.end(), [&](const study_part& part) {
        return part.first() < first || part.last() > last;
    });
    if (outside != parts.end()) {
        return outside->name + " holds " + runs_text(outside->first(), outside->last()) +
               ", not all within the study's " + runs_text(first, last);
    }
    std::vector<std::string> missing;
    std::uint64_t next = first;  // the first run no part before has held
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const study_part& part = parts[i];
        if (i > 0 && part.first() < next) {
            return parts[i - 1].name + " and " + part.name + " overlap: both hold " +
                   runs_text(part.first(), std::min(next - 1, part.last()));
        }
        if (part.first() > next) {
            const std::string between = i == 0
                                            ? "before " + part.name
                                            : "between " + parts[i - 1].name + " and " + part.name;
            missing.push_back(runs_text(next, part.first() - 1) + " (" + between + ")");
        }
        next = part.last() + 1;
    }
    if (next <= last) {
        missing.push_back(runs_text(next, last) + " (after " + parts.back().name + ")");
    }
    if (missing.empty()) {
        return std::nullopt;
    }
    return "no part holds " + listed(missing, " or ");
}

// The runs on the exact optimum all end at that one point, which a hill holds or not; a hill
// without a grid point holds no run; and a run counts on both hills only at the point they
// share, at the valley between them.
std::optional<std::string> impossible_counts(const study_summary& s, const grid_landmarks& grid) {
    struct hill_count {
        long runs;
        peak_range range;
        const char* name;
    };
    const std::string on_optimum =
        count_of(s.exact_optimum, "run ends", "runs end") + " on the exact optimum";
    for (const hill_count& hill : {hill_count{s.global_peak, grid.global_peak, "global peak"},
                                   hill_count{s.second_peak, grid.second_peak, "second peak"}}) {
        const bool holds_optimum = hill.range.contains(grid.optimum_d);
        if (hill.range.first < 0 && hill.runs > 0) {
            return count_of(hill.runs, "run ends", "runs end") + " on the " + hill.name +
                   ", which has no grid point";
        }
        if (holds_optimum && s.exact_optimum > hill.runs) {
            return on_optimum + ", only " + std::to_string(hill.runs) + " on the " + hill.name +
                   ", which holds it";
        }
        if (!holds_optimum && s.exact_optimum + hill.runs > s.runs) {
            return on_optimum + " and " + std::to_string(hill.runs) + " on the " + hill.name +
                   ", which does not hold it: more than the " + count_of(s.runs, "run", "runs");
        }
    }
    const peak_range& global = grid.global_peak;
    const peak_range& second = grid.second_peak;
    const bool share_a_point = global.first >= 0 && second.first >= 0 &&
                               global.first <= second.last && second.first <= global.last;
    if (!share_a_point && s.global_peak + s.second_peak > s.runs) {
        return count_of(s.global_peak, "run ends", "runs end") + " on the global peak and " +
               std::to_string(s.second_peak) +
               " on the second, which share no point: more than the " +
               count_of(s.runs, "run", "runs");
    }
    return std::nullopt;
}

std::optional<std::string> study_sum::add(const study_part& part) {
    if (!first_) {
        first_ = study_part{part.name, {part.rows.front()}};
        for (const study_csv_row& row : part.rows) {
            results_.push_back(row.result);
            results_.back().summary = {};
        }
    }
    const std::uint32_t seed = first_->rows.front().origin.seed;
    const std::string first_row = place_in(first_->name, 2);
    if (part.rows.size() != results_.size()) {
        return part.name + " holds " +
               count_of(static_cast<std::int64_t>(part.rows.size()), "schedule", "schedules") +
               " and " + first_->name + " " + std::to_string(results_.size()) +
               ": they study different sweeps";
    }
    for (std::size_t i = 0; i < part.rows.size(); ++i) {
        const std::string where = place_in(part.name, i + 2);
        if (auto wrong = differs(where, "seed", part.rows[i].origin.seed, first_row, seed)) {
            return wrong;
        }
        const landscape& searched = part.rows[i].result.study.landscape;
        if (!(searched == results_[i].study.landscape)) {
            return where + " searches " + landscape_label(searched) + ", where " +
                   place_in(first_->name, i + 2) + " searches " +
                   landscape_label(results_[i].study.landscape);
        }
        if (!(part.rows[i].result.study == results_[i].study)) {
            return where + " studies another schedule than " + place_in(first_->name, i + 2);
        }
    }
    for (std::size_t i = 0; i < results_.size(); ++i) {
        study_summary& sum = results_[i].summary;
        const study_summary& added = part.rows[i].result.summary;
        sum = sum.runs == 0 ? added : merged_summary(sum, added);
    }
    return std::nullopt;
}

}  // namespace sa
