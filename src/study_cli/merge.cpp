#include "merge/merge.hpp"

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

std::string message_in(const std::string& name, const csv_fault& wrong) {
    const std::string where = place_in(name, wrong.line, wrong.column);
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

// A part's file read back: its rows, or its first row alone.
struct part_file {
    std::string path;
    study_part part;
};

expected<part_file, std::string> read_part(const std::string& path, extent wanted) {
    part_file read{path, {printable(path), {}}};
    std::string text;
    if (std::optional<std::string> error = read_part_file(path, wanted, text)) {
        return *error;
    }
    if (wanted == extent::head && holds_head(text)) {
        text.resize(text.find('\n', text.find('\n') + 1) + 1);
    }
    expected<std::vector<study_csv_row>, csv_fault> rows = read_study_csv(text);
    if (!rows) {
        return message_in(read.part.name, rows.error());
    }
    read.part.rows = std::move(*rows);
    if (std::optional<std::string> error = ragged_part(read.part)) {
        return *error;
    }
    return read;
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
            return place_in(part.name, i + 2) + ": " + *wrong;
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
expected<std::vector<part_file>, std::string> heads_of(const std::vector<std::string>& paths) {
    std::vector<part_file> heads;
    for (const std::string& path : paths) {
        expected<part_file, std::string> head = read_part(path, extent::head);
        if (!head) {
            return head.error();
        }
        heads.push_back(std::move(*head));
    }
    std::stable_sort(heads.begin(), heads.end(), [](const part_file& a, const part_file& b) {
        return a.part.first() < b.part.first();
    });
    return heads;
}

// Each part read whole, one at a time, checked against the first and added to the sum: the
// memory of one part and the sum, however many parts.
expected<std::vector<case_result>, std::string> sum_of(const std::vector<part_file>& heads) {
    study_sum sum;
    std::map<int, grid_landmarks> grids;
    for (const part_file& head : heads) {
        expected<part_file, std::string> read = read_part(head.path, extent::whole);
        if (!read) {
            return read.error();
        }
        std::optional<std::string> error = sum.add(read->part);
        if (!error) {
            error = counts_fault(read->part, grids);
        }
        if (error) {
            return *error;
        }
    }
    // Each case with its grid's landmarks, which say whether it has a second hill to count.
    std::vector<case_result> results = sum.results();
    for (case_result& result : results) {
        result.landmarks = grids.at(result.study.bits);
    }
    return results;
}

}  // namespace

expected<merged_study, std::string> merge_parts(const merge_request& request) {
    if (std::optional<std::string> error = repeated_file(request)) {
        return *error;
    }
    const expected<std::vector<part_file>, std::string> heads = heads_of(request.parts);
    if (!heads) {
        return heads.error();
    }
    std::vector<study_part> parts(heads->size());
    std::transform(heads->begin(), heads->end(), parts.begin(),
                   [](const part_file& head) { return head.part; });
    const std::uint64_t last = request.first_run + static_cast<std::uint64_t>(request.runs) - 1;
    if (std::optional<std::string> error = uncovered_runs(parts, request.first_run, last)) {
        return *error;
    }
    expected<std::vector<case_result>, std::string> results = sum_of(*heads);
    if (!results) {
        return results.error();
    }
    return merged_study{std::move(*results),
                        {parts.front().rows.front().origin.seed, request.first_run, false},
                        last,
                        heads->size()};
}

}  // namespace sa
