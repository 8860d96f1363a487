#include <algorithm>
#include <fstream>
#include <iterator>

#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

// One study read back from its CSV file.
struct study_part {
    std::string path;
    std::vector<study_csv_row> rows;

    std::uint64_t first() const { return rows.front().origin.first_run; }
    std::uint64_t end() const {
        return first() + static_cast<std::uint64_t>(rows.front().result.summary.runs);
    }
};

expected<study_part, std::string> read_part(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "cannot read " + path;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::optional<std::vector<study_csv_row>> rows = read_study_csv(text);
    if (!rows || rows->empty()) {
        return path + " is no CSV file of a study by sa_study " SA_DEMO_VERSION;
    }
    const long runs = rows->front().result.summary.runs;
    const bool one_range = std::all_of(rows->begin(), rows->end(), [&](const study_csv_row& row) {
        return row.result.summary.runs == runs &&
               row.origin.first_run == rows->front().origin.first_run;
    });
    if (!one_range) {
        return path + " holds schedules run over different ranges of runs";
    }
    return study_part{path, std::move(*rows)};
}

// Why the parts, sorted by their first run, do not add up to one study, or nothing.
std::optional<std::string> mismatch(const std::vector<study_part>& parts) {
    const study_part& first = parts.front();
    for (const study_part& part : parts) {
        const study_csv_row& row = part.rows.front();
        if (row.version != first.rows.front().version) {
            return first.path + " and " + part.path + " come from different versions (" +
                   first.rows.front().version + " and " + row.version + ")";
        }
        if (row.origin.seed != first.rows.front().origin.seed) {
            return first.path + " and " + part.path + " come from different seeds";
        }
        const bool same_sweep = part.rows.size() == first.rows.size() &&
                                std::equal(part.rows.begin(), part.rows.end(), first.rows.begin(),
                                           [](const study_csv_row& a, const study_csv_row& b) {
                                               return a.result.study == b.result.study;
                                           });
        if (!same_sweep) {
            return first.path + " and " + part.path + " study different schedules";
        }
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const study_part& before = parts[i - 1];
        const study_part& after = parts[i];
        if (after.first() < before.end()) {
            return format("%s and %s overlap: both hold runs %llu to %llu", before.path.c_str(),
                          after.path.c_str(), static_cast<unsigned long long>(after.first()),
                          static_cast<unsigned long long>(std::min(before.end(), after.end()) - 1));
        }
        if (after.first() > before.end()) {
            return format("runs %llu to %llu are in no part, between %s and %s",
                          static_cast<unsigned long long>(before.end()),
                          static_cast<unsigned long long>(after.first() - 1), before.path.c_str(),
                          after.path.c_str());
        }
    }
    return std::nullopt;
}

std::vector<case_result> merged_results(const std::vector<study_part>& parts) {
    std::vector<case_result> results;
    for (std::size_t i = 0; i < parts.front().rows.size(); ++i) {
        case_result result = parts.front().rows[i].result;
        for (std::size_t p = 1; p < parts.size(); ++p) {
            result.summary = merged_summary(result.summary, parts[p].rows[i].result.summary);
        }
        results.push_back(result);
    }
    return results;
}

}  // namespace

expected<merged_study, std::string> merge_parts(const std::vector<std::string>& paths) {
    std::vector<study_part> parts;
    for (const std::string& path : paths) {
        expected<study_part, std::string> part = read_part(path);
        if (!part) {
            return part.error();
        }
        parts.push_back(std::move(*part));
    }
    std::sort(parts.begin(), parts.end(),
              [](const study_part& a, const study_part& b) { return a.first() < b.first(); });
    if (std::optional<std::string> error = mismatch(parts)) {
        return *error;
    }
    return merged_study{merged_results(parts),
                        {parts.front().rows.front().origin.seed, parts.front().first(), false},
                        parts.back().end() - 1,
                        parts.size()};
}

}  // namespace sa
