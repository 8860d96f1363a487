#include "options.hpp"

#include <charconv>
#include <optional>

namespace {

constexpr long max_runs = 10'000'000;
constexpr unsigned long max_seed = 4'294'967'295UL;

// A whole number of plain decimal digits, no sign, no trailing characters.
std::optional<unsigned long> whole_number(const std::string& text) {
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::string parse_runs(const std::string& text, study_options& options) {
    const auto value = whole_number(text);
    if (!value || *value == 0 || *value > static_cast<unsigned long>(max_runs)) {
        return "--runs needs a whole number from 1 to " + std::to_string(max_runs) + ", not '" +
               text + "'";
    }
    options.runs = static_cast<long>(*value);
    return {};
}

std::string parse_seed(const std::string& text, study_options& options) {
    const auto value = whole_number(text);
    if (!value || *value > max_seed) {
        return "--seed needs a whole number from 0 to " + std::to_string(max_seed) + ", not '" +
               text + "'";
    }
    options.seed = *value;
    options.seed_given = true;
    return {};
}

}  // namespace

parsed_options parse_options(const std::vector<std::string>& args) {
    parsed_options parsed;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.options.help = true;
        } else if (arg == "--trace") {
            parsed.options.trace = true;
        } else if (arg == "--runs" || arg == "--seed") {
            if (i + 1 == args.size()) {
                parsed.error = arg + " needs a value";
            } else if (arg == "--runs") {
                parsed.error = parse_runs(args[++i], parsed.options);
            } else {
                parsed.error = parse_seed(args[++i], parsed.options);
            }
        } else {
            parsed.error = "unknown option '" + arg + "'";
        }
    }
    return parsed;
}

std::string usage_text() {
    return "Usage: sa_study [--runs N] [--seed S] [--trace] [--help]\n"
           "\n"
           "Runs simulated annealing many times on the function of sa_demo, with its\n"
           "cooling schedule, from random initial solutions, and reports how often the\n"
           "runs end on the exact optimum, on its peak and on the second peak.\n"
           "\n"
           "  --runs N   number of runs (default 1000)\n"
           "  --seed S   seed for the random numbers, for a study that can be repeated\n"
           "             (default: the current time)\n"
           "  --trace    show the course of a single run, one line per temperature level\n"
           "  --help     show this text\n";
}
