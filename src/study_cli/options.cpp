#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

constexpr long max_runs = 10'000'000;
constexpr long max_values = 10'000;  // per list, so that a mistyped step cannot exhaust memory

template <typename T>
std::optional<T> number(const std::string& text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// start, start + step, ... up to stop, the last within rounding of stop.
template <typename T>
std::vector<T> range_values(T start, T stop, T step) {
    std::vector<T> values;
    if (!(step > 0) || stop < start) {
        return values;
    }
    const double tolerance = std::is_floating_point_v<T> ? 1e-9 * static_cast<double>(step) : 0.0;
    for (long i = 0; i <= max_values; ++i) {
        const double value = static_cast<double>(start) + static_cast<double>(i) * step;
        if (value > static_cast<double>(stop) + tolerance) {
            return values;
        }
        values.push_back(static_cast<T>(value));
    }
    return {};
}

template <typename T>
std::vector<T> parse_values(const std::string& text) {
    std::vector<T> values;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        std::vector<std::string> parts;
        std::istringstream fields(item);
        for (std::string field; std::getline(fields, field, ':');) {
            parts.push_back(field);
        }
        std::vector<std::optional<T>> numbers;
        std::transform(parts.begin(), parts.end(), std::back_inserter(numbers), number<T>);
        const bool all_numbers = std::all_of(numbers.begin(), numbers.end(),
                                             [](const auto& n) { return n.has_value(); });
        if (!all_numbers || item.back() == ':' || (parts.size() != 1 && parts.size() != 3)) {
            return {};
        }
        if (parts.size() == 1) {
            values.push_back(*numbers[0]);
        } else {
            const std::vector<T> range = range_values(*numbers[0], *numbers[1], *numbers[2]);
            if (range.empty()) {
                return {};
            }
            values.insert(values.end(), range.begin(), range.end());
        }
    }
    if (text.empty() || text.back() == ',' || static_cast<long>(values.size()) > max_values) {
        return {};
    }
    return values;
}

std::string check_reals(const std::string& name, const std::string& text, std::vector<float>& out,
                        bool (*valid)(float), const char* rule) {
    if (text.empty()) {
        return {};
    }
    out = parse_real_values(text);
    if (out.empty()) {
        return name + " needs a number, a list a,b,c or a range start:stop:step, not '" + text +
               "'";
    }
    for (const float value : out) {
        if (!valid(value)) {
            return name + " must be " + rule + ", not " + CLI::detail::to_string(value);
        }
    }
    return {};
}

std::string check_wholes(const std::string& name, const std::string& text, std::vector<int>& out,
                         int low, int high) {
    if (text.empty()) {
        return {};
    }
    out = parse_whole_values(text);
    if (out.empty()) {
        return name + " needs a whole number, a list a,b,c or a range start:stop:step, not '" +
               text + "'";
    }
    const auto outside = std::find_if(
        out.begin(), out.end(), [low, high](int value) { return value < low || value > high; });
    if (outside != out.end()) {
        return name + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
               ", not " + std::to_string(*outside);
    }
    return {};
}

// Every case must cool through at least one level.
std::string check_levels(const std::vector<study_case>& cases) {
    const auto empty = std::find_if(cases.begin(), cases.end(), [](const study_case& study) {
        return study.schedule.t0 <= study.schedule.t_final;
    });
    if (empty != cases.end()) {
        return "T0 must lie above the final T, so that the schedule has a level (T0 " +
               CLI::detail::to_string(empty->schedule.t0) + ", final T " +
               CLI::detail::to_string(empty->schedule.t_final) + ")";
    }
    return {};
}

const char* const footer =
    "Each of --t0, --alpha, --t-final, --trials and --bits takes a value, a list\n"
    "such as 0.9,0.95,0.97 or a range start:stop:step; the study runs every\n"
    "combination. Real values are rounded to single precision and widened, as\n"
    "sa_demo's own constants are, so the defaults reproduce sa_demo exactly.\n"
    "Without --trials a level has bits / 2 trials, as in sa_demo.\n"
    "\n"
    "Run i (from 0) is what sa_demo does on choices 1 and 2 when started in clock\n"
    "second seed + i: every figure but the times is the same at any --jobs, and a\n"
    "study split with --first-run adds up to the whole.\n"
    "\n"
    "--trace follows one run, a line (or CSV row) per temperature level: the level\n"
    "(from 0), the temperature T, the moves accepted that improved and that did not\n"
    "(up/down; accepted_improving, accepted_worsening), the trials, x of the current\n"
    "solution, its value fo as the run accumulates it, and the best value so far.\n"
    "\n"
    "Manual: man sa_study\n";

struct option_texts {
    std::string t0;
    std::string alpha;
    std::string t_final;
    std::string trials;
    std::string bits;
};

// "(default 0.97)" for the demo's value of a schedule parameter.
std::string default_of(double widened_float) {
    return " (default " + shortest(widened_float) + ")";
}

void add_options(CLI::App& app, study_options& options, option_texts& texts) {
    const encoding demo = encoding_for(demo_problem);
    const schedule_params schedule = demo_schedule(demo);
    app.add_option("--runs", options.runs,
                   "runs per schedule (default " + std::to_string(options.runs) + ")")
        ->type_name("N")
        ->check(CLI::Range(1L, max_runs).description(""));
    app.add_option("--seed", options.seed, "seed of run 0, 0..4294967295 (default: clock)")
        ->type_name("S");
    app.add_option("--first-run", options.first_run, "study runs K to K+N-1 only (default 0)")
        ->type_name("K");
    app.add_option("--jobs", options.jobs, "threads (default: every core)")
        ->type_name("J")
        ->check(CLI::Range(1, 4096).description(""));
    app.add_option("--t0", texts.t0, "initial temperature" + default_of(schedule.t0))
        ->type_name("LIST");
    app.add_option("--alpha", texts.alpha, "cooling factor, in (0, 1)" + default_of(schedule.alpha))
        ->type_name("LIST");
    app.add_option("--t-final", texts.t_final,
                   "levels go on while T is above it" + default_of(schedule.t_final))
        ->type_name("LIST");
    app.add_option("--trials", texts.trials, "trials per level (default bits / 2)")
        ->type_name("LIST");
    app.add_option("--bits", texts.bits,
                   "encoding length, 2..24 (default " + std::to_string(demo.n_bits) + ")")
        ->type_name("LIST");
    app.add_option("--target", options.target, "name the cheapest schedule reaching P % exact")
        ->type_name("P")
        ->check(CLI::Range(0.0, 100.0).description(""));
    app.add_flag("--trace", options.trace, "follow one run level by level instead");
    app.add_option("--csv", options.csv_path, "write a CSV file: a row per schedule or level")
        ->type_name("FILE");
    app.add_option("--plot", options.plot_path, "draw it with gnuplot: FILE.svg or FILE.png")
        ->type_name("FILE");
}

std::string check_options(study_options& options, const option_texts& texts) {
    sweep_request sweep;
    std::string error = check_reals(
        "--t0", texts.t0, sweep.t0, [](float v) { return v > 0.0F; }, "positive");
    if (error.empty()) {
        error = check_reals(
            "--alpha", texts.alpha, sweep.alpha, [](float v) { return v > 0.0F && v < 1.0F; },
            "between 0 and 1");
    }
    if (error.empty()) {
        error = check_reals(
            "--t-final", texts.t_final, sweep.t_final, [](float v) { return v > 0.0F; },
            "positive");
    }
    if (error.empty()) {
        error = check_wholes("--trials", texts.trials, sweep.trials, 1, 1'000'000);
    }
    if (error.empty()) {
        error = check_wholes("--bits", texts.bits, sweep.bits, 2, 24);
    }
    if (!error.empty()) {
        return error;
    }
    options.cases = sweep_cases(sweep);
    error = check_levels(options.cases);
    if (error.empty() && options.trace && options.cases.size() != 1) {
        error = "--trace follows a single schedule, not a sweep";
    }
    if (error.empty() && !options.plot_path.empty() && !plot_format_supported(options.plot_path)) {
        error = "--plot writes .svg or .png files, not '" + options.plot_path + "'";
    }
    return error;
}

}  // namespace

std::vector<float> parse_real_values(const std::string& text) {
    const std::vector<double> values = parse_values<double>(text);
    std::vector<float> rounded;
    for (const double value : values) {
        if (!std::isfinite(value) || std::fabs(value) > 1e30) {
            return {};
        }
        rounded.push_back(static_cast<float>(value));
    }
    return rounded;
}

std::vector<int> parse_whole_values(const std::string& text) {
    return parse_values<int>(text);
}

command_line parse_command_line(const std::vector<std::string>& args, int cores) {
    command_line parsed;
    parsed.options.jobs = std::max(1, cores);
    CLI::App app(
        "Runs simulated annealing on sa_demo's function many times, under its schedule\n"
        "or a sweep of schedules, and reports how often the runs find the optimum.",
        "sa_study");
    app.set_version_flag("--version", "sa_study " SA_DEMO_VERSION);
    app.footer(footer);
    app.get_formatter()->column_width(20);
    option_texts texts;
    add_options(app, parsed.options, texts);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parsed.text = app.help();
        parsed.exit_status = 0;
        return parsed;
    } catch (const CLI::CallForVersion& version) {
        parsed.text = std::string(version.what()) + "\n";
        parsed.exit_status = 0;
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.error = error.what();
        parsed.exit_status = 2;
        return parsed;
    }
    parsed.error = check_options(parsed.options, texts);
    if (!parsed.error.empty()) {
        parsed.exit_status = 2;
    }
    return parsed;
}

}  // namespace sa
