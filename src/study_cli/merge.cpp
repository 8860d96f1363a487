#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

// A part holds a few hundred bytes a schedule. A file larger than a kilobyte for each of the
// most schedules a sweep holds is no part, and is not read into memory.
constexpr std::size_t part_size_limit = (max_schedules + 1) * 1024;

// One study read back from its CSV file, or its first row alone.
struct study_part {
    std::string path;
    std::string name;  // its path as a message shows it
    std::vector<study_csv_row> rows;

    std::uint64_t first() const { return rows.front().origin.first_run; }
    std::uint64_t last() const {
        return first() + static_cast<std::uint64_t>(rows.front().result.summary.runs) - 1;
    }
};

// "a.csv line 3, t0": where a fault lies.
std::string place(const std::string& name, std::size_t line, const std::string& column = "") {
    std::string text = name;
    if (line > 0) {
        text += " line " + std::to_string(line);
    }
    return column.empty() ? text : text + ", " + column;
}

std::string message_in(const std::string& name, const csv_fault& wrong) {
    const std::string where = place(name, wrong.line, wrong.column);
    if (wrong.refused) {
        return wrong.column.empty() ? where + ": " + message_of(*wrong.refused)
                                    : message_of(*wrong.refused, where);
    }
    return where + (wrong.column.empty() ? " " : ": ") + wrong.words;
}

// How much of a part to read: its first two lines, its heading and first row, which say which
// runs it holds; or the whole of it.
enum class extent { head, whole };

// Whether the text holds its first two lines whole.
bool holds_head(const std::string& text) {
    const std::size_t heading_end = text.find('\n');
    return heading_end != std::string::npos &&
           text.find('\n', heading_end + 1) != std::string::npos;
}

// Reads what a part's file holds into `text`, or as much as `wanted` asks: a regular file, no
// larger than a part can be. Opened without waiting, so that a pipe with no writer is refused
// rather than waited on. Why it cannot, or nothing.
std::optional<std::string> read_part_file(const std::string& path, extent wanted,
                                          std::string& text) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return "cannot read " + printable(path) + ": " + std::strerror(errno);
    }
    std::string error;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        error = std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file";
    } else if (static_cast<std::size_t>(status.st_size) > part_size_limit) {
        error = format("larger than any part, more than %zu bytes", part_size_limit);
    }
    std::array<char, 65536> buffer{};
    while (error.empty() && !(wanted == extent::head && holds_head(text))) {
        const ssize_t got = ::read(descriptor, buffer.data(), buffer.size());
        if (got < 0 && errno != EINTR) {
            error = std::strerror(errno);
        } else if (got == 0) {
            break;
        } else if (got > 0 && text.size() + static_cast<std::size_t>(got) > part_size_limit) {
            error = format("larger than any part, more than %zu bytes", part_size_limit);
        } else if (got > 0) {
            text.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
    ::close(descriptor);
    if (!error.empty()) {
        return "cannot read " + printable(path) + ": " + error;
    }
    return std::nullopt;
}

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

expected<study_part, std::string> read_part(const std::string& path, extent wanted) {
    study_part part{path, printable(path), {}};
    std::string text;
    if (std::optional<std::string> error = read_part_file(path, wanted, text)) {
        return *error;
    }
    if (wanted == extent::head && holds_head(text)) {
        text.resize(text.find('\n', text.find('\n') + 1) + 1);
    }
    expected<std::vector<study_csv_row>, csv_fault> rows = read_study_csv(text);
    if (!rows) {
        return message_in(part.name, rows.error());
    }
    part.rows = std::move(*rows);
    // A part is one range of runs of every schedule.
    const study_origin& first = part.rows.front().origin;
    const long runs = part.rows.front().result.summary.runs;
    for (std::size_t i = 1; i < part.rows.size(); ++i) {
        const std::string where = place(part.name, i + 2);
        const study_csv_row& row = part.rows[i];
        if (auto wrong =
                differs(where, "first_run", row.origin.first_run, "line 2", first.first_run)) {
            return *wrong;
        }
        if (auto wrong = differs(where, "runs", row.result.summary.runs, "line 2", runs)) {
            return *wrong;
        }
    }
    return part;
}

// Why a part is no part of the study whose cases the parts before it hold: another seed in any
// row, or other schedules.
std::optional<std::string> foreign_part(const study_part& part, const study_part& first,
                                        const std::vector<case_result>& cases) {
    const std::uint32_t seed = first.rows.front().origin.seed;
    const std::string first_row = place(first.name, 2);
    if (part.rows.size() != cases.size()) {
        return part.name + " holds " +
               count_of(static_cast<std::int64_t>(part.rows.size()), "schedule", "schedules") +
               " and " + first.name + " " + std::to_string(cases.size()) +
               ": they study different sweeps";
    }
    for (std::size_t i = 0; i < part.rows.size(); ++i) {
        const std::string where = place(part.name, i + 2);
        if (auto wrong = differs(where, "seed", part.rows[i].origin.seed, first_row, seed)) {
            return *wrong;
        }
        if (!(part.rows[i].result.study == cases[i].study)) {
            return where + " studies another schedule than " + place(first.name, i + 2);
        }
    }
    return std::nullopt;
}

// Why the parts, sorted by their first run, do not hold runs first .. last, each once.
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

// What the counts of one case's runs can be on its grid. The runs on the exact optimum all end
// at that one point, which a hill holds or not; a hill without a grid point holds no run; and a
// run counts on both hills only at the point they share, at the valley between them.
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

// The counts of every row of a part checked on its grid, each grid's landmarks found once.
std::optional<std::string> counts_fault(const study_part& part,
                                        std::map<int, grid_landmarks>& grids) {
    for (std::size_t i = 0; i < part.rows.size(); ++i) {
        const case_result& result = part.rows[i].result;
        const int bits = result.study.bits;
        if (!grids.contains(bits)) {
            grids.emplace(bits, landmarks_of_grid(result.study.landscape, bits));
        }
        if (auto wrong = impossible_counts(result.summary, grids.at(bits))) {
            return place(part.name, i + 2) + ": " + *wrong;
        }
    }
    return std::nullopt;
}

// Why the command would lose a file: a part given twice (by its name, or by a path or link to
// the same file), or an output that would be written over a part.
std::optional<std::string> repeated_file(const merge_request& request) {
    const std::vector<std::string>& parts = request.parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (const auto& [option, path] :
             {std::pair{"--csv", &request.csv_path}, std::pair{"--plot", &request.plot_path}}) {
            if (names_same_file(parts[i], *path)) {
                return std::string(option) + " names " + quoted_value(parts[i]) +
                       ", one of the parts to merge";
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (parts[i] == parts[j]) {
                return printable(parts[i]) + " is given twice";
            }
            if (names_same_file(parts[i], parts[j])) {
                return printable(parts[j]) + " and " + printable(parts[i]) + " name the same file";
            }
        }
    }
    return std::nullopt;
}

// The runs each part holds, from its first row: read before any part is read whole, so that
// parts that overlap or leave runs out are refused at once.
expected<std::vector<study_part>, std::string> heads_of(const std::vector<std::string>& paths) {
    std::vector<study_part> heads;
    for (const std::string& path : paths) {
        expected<study_part, std::string> head = read_part(path, extent::head);
        if (!head) {
            return head.error();
        }
        heads.push_back(std::move(*head));
    }
    std::stable_sort(heads.begin(), heads.end(), [](const study_part& a, const study_part& b) {
        return a.first() < b.first();
    });
    return heads;
}

// Each part read whole, one at a time, checked against the first and added to the sum: the
// memory of one part and the sum, however many parts.
expected<std::vector<case_result>, std::string> sum_of(const std::vector<study_part>& heads) {
    std::vector<case_result> results;
    std::optional<study_part> first;
    std::map<int, grid_landmarks> grids;
    for (const study_part& head : heads) {
        expected<study_part, std::string> part = read_part(head.path, extent::whole);
        if (!part) {
            return part.error();
        }
        if (!first) {
            first = study_part{part->path, part->name, {part->rows.front()}};
            for (const study_csv_row& row : part->rows) {
                results.push_back(row.result);
                results.back().summary = {};
            }
        }
        std::optional<std::string> error = foreign_part(*part, *first, results);
        if (!error) {
            error = counts_fault(*part, grids);
        }
        if (error) {
            return *error;
        }
        for (std::size_t i = 0; i < results.size(); ++i) {
            const study_summary& added = part->rows[i].result.summary;
            results[i].summary =
                results[i].summary.runs == 0 ? added : merged_summary(results[i].summary, added);
        }
    }
    return results;
}

}  // namespace

expected<merged_study, std::string> merge_parts(const merge_request& request) {
    if (std::optional<std::string> error = repeated_file(request)) {
        return *error;
    }
    const expected<std::vector<study_part>, std::string> heads = heads_of(request.parts);
    if (!heads) {
        return heads.error();
    }
    const std::uint64_t last = request.first_run + static_cast<std::uint64_t>(request.runs) - 1;
    if (std::optional<std::string> error = uncovered_runs(*heads, request.first_run, last)) {
        return *error;
    }
    expected<std::vector<case_result>, std::string> results = sum_of(*heads);
    if (!results) {
        return results.error();
    }
    return merged_study{std::move(*results),
                        {heads->front().rows.front().origin.seed, request.first_run, false},
                        last,
                        heads->size()};
}

}  // namespace sa
