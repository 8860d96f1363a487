#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <functional>
#include <map>

#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

// Every value is taken as text and read here, not by CLI11, so that all of them follow one
// grammar (decimal only, nothing empty) and one style of message.
struct option_texts {
    std::map<std::string, std::string> values;  // by option name, as typed
    bool trace = false;
};

// A number as the user would have typed it.
std::string shown(double value) {
    std::array<char, 32> buffer{};
    auto* const end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return {buffer.data(), end};
}

// The faults every list shares: no value at all, or one that does not read.
template <typename T>
std::string unread_fault(const char* name, const std::string& text,
                         const parsed_values<T>& parsed) {
    if (text.empty()) {
        return format("%s needs a value", name);
    }
    return parsed.error.empty() ? "" : format("%s: %s", name, parsed.error.c_str());
}

std::string check_whole(const char* name, const std::string& text, std::int64_t low,
                        std::int64_t high, const char* limits, std::int64_t& out) {
    const parsed_values<std::int64_t> parsed = parse_whole_values(text);
    if (std::string fault = unread_fault(name, text, parsed); !fault.empty()) {
        return fault;
    }
    if (parsed.values.size() != 1) {
        return format("%s takes one number, not %s", name, quoted_value(text).c_str());
    }
    out = parsed.values.front();
    if (out < low || out > high) {
        return format("%s must be %s, not %lld", name, limits, static_cast<long long>(out));
    }
    return {};
}

std::string check_whole_list(const char* name, const std::string& text, int low, int high,
                             const char* limits, std::vector<int>& out) {
    const parsed_values<std::int64_t> parsed = parse_whole_values(text);
    if (std::string fault = unread_fault(name, text, parsed); !fault.empty()) {
        return fault;
    }
    for (const std::int64_t value : parsed.values) {
        if (value < low || value > high) {
            return format("%s must be %s, not %lld", name, limits, static_cast<long long>(value));
        }
        out.push_back(static_cast<int>(value));
    }
    return {};
}

// A list of reals, rounded to single precision as sa_demo's own constants are; `rule` says
// what a rounded value must be, or nothing when it may be.
std::string check_real_list(const char* name, const std::string& text,
                            const std::function<std::string(double, float)>& rule,
                            std::vector<float>& out) {
    const parsed_values<double> parsed = parse_real_values(text);
    if (std::string fault = unread_fault(name, text, parsed); !fault.empty()) {
        return fault;
    }
    for (const double value : parsed.values) {
        if (std::fabs(value) > max_temperature) {
            return format("%s: %s is out of range (at most 1e30)", name, shown(value).c_str());
        }
        const auto rounded = static_cast<float>(value);
        if (const std::string fault = rule(value, rounded); !fault.empty()) {
            return format("%s: %s", name, fault.c_str());
        }
        out.push_back(rounded);
    }
    return {};
}

std::string positive(double value, float rounded) {
    if (value <= 0.0) {
        return "must be positive, not " + shown(value);
    }
    return rounded == 0.0F ? shown(value) + " rounds to 0 in single precision" : "";
}

std::string cooling_factor(double value, float rounded) {
    if (value <= 0.0 || value >= 1.0) {
        return "must be between 0 and 1, not " + shown(value);
    }
    if (rounded == 1.0F) {
        return shown(value) + " rounds to 1 in single precision (the largest below 1 is " +
               shortest(std::nextafter(1.0F, 0.0F)) + ")";
    }
    return rounded == 0.0F ? shown(value) + " rounds to 0 in single precision" : "";
}

std::string check_path(const char* name, const std::string& text, std::string& out) {
    if (text.empty()) {
        return format("%s needs a value", name);
    }
    const bool has_control = std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
    if (has_control) {
        return format("%s: %s holds a control character", name, quoted_value(text).c_str());
    }
    out = text;
    return {};
}

// "auto" or "auto:CHI": the acceptance a temperature is to be chosen for, or `fallback`.
std::optional<std::string> read_automatic(const char* name, const std::string& text,
                                          double fallback, std::optional<double>& chi) {
    if (text != "auto" && !text.starts_with("auto:")) {
        return std::nullopt;
    }
    chi = fallback;
    if (text == "auto") {
        return std::string();
    }
    const parsed_values<double> parsed = parse_real_values(text.substr(5));
    if (!parsed.error.empty() || parsed.values.size() != 1 || parsed.values.front() <= 0.0 ||
        parsed.values.front() >= 1.0) {
        return format("%s auto:CHI needs an acceptance between 0 and 1, not %s", name,
                      quoted_value(text.substr(5)).c_str());
    }
    chi = parsed.values.front();
    return std::string();
}

std::string check_temperatures(const char* name, const std::string& text, double fallback,
                               std::optional<double>& chi, std::vector<float>& out) {
    if (const std::optional<std::string> automatic = read_automatic(name, text, fallback, chi)) {
        return *automatic;
    }
    return check_real_list(name, text, positive, out);
}

std::string check_laws(const std::string& text, std::vector<cooling_law>& out) {
    if (text.empty()) {
        return "--cooling needs a value";
    }
    for (const std::string_view name : list_items(text)) {
        const std::optional<cooling_law> law = parse_cooling_law(name);
        if (!law) {
            return name.empty() ? "--cooling: an empty item in " + quoted_value(text)
                                : "--cooling: " + quoted_value(std::string(name)) +
                                      " is no cooling law (geometric, linear or lundy-mees)";
        }
        out.push_back(*law);
    }
    return {};
}

// Reads one option's text into the options or the schedules asked for.
using option_reader =
    std::function<std::string(const std::string& text, study_options&, schedule_request&)>;

// The reader of an option that takes one whole number within limits, kept in `member`.
template <typename T>
option_reader whole_option(const char* name, std::int64_t low, std::int64_t high,
                           const char* limits, T study_options::*member) {
    return [=](const std::string& text, study_options& options, schedule_request&) {
        std::int64_t value = 0;
        std::string error = check_whole(name, text, low, high, limits, value);
        options.*member = static_cast<T>(value);
        return error;
    };
}

const std::map<std::string, option_reader>& option_readers() {
    static const std::map<std::string, option_reader> readers = {
        {"--runs", whole_option("--runs", 1, max_runs, "from 1 to 10^7", &study_options::runs)},
        {"--seed",
         whole_option("--seed", 0, UINT32_MAX, "from 0 to 4294967295", &study_options::seed)},
        {"--first-run", whole_option("--first-run", 0, max_run_number, "from 0 to 4294967295",
                                     &study_options::first_run)},
        {"--jobs", whole_option("--jobs", 1, max_jobs, "from 1 to 4096", &study_options::jobs)},
        {"--t0",
         [](const std::string& text, study_options&, schedule_request& request) {
             return check_temperatures("--t0", text, initial_acceptance, request.auto_t0,
                                       request.sweep.t0);
         }},
        {"--alpha",
         [](const std::string& text, study_options&, schedule_request& request) {
             request.alpha_given = true;
             return check_real_list("--alpha", text, cooling_factor, request.sweep.alpha);
         }},
        {"--t-final",
         [](const std::string& text, study_options&, schedule_request& request) {
             return check_temperatures("--t-final", text, final_acceptance, request.auto_t_final,
                                       request.sweep.t_final);
         }},
        {"--cooling",
         [](const std::string& text, study_options&, schedule_request& request) {
             return check_laws(text, request.sweep.laws);
         }},
        {"--levels",
         [](const std::string& text, study_options&, schedule_request& request) {
             request.levels_given = true;
             return check_whole_list("--levels", text, 1, static_cast<int>(max_trials_per_run),
                                     "from 1 to 10^9", request.sweep.levels);
         }},
        {"--trials",
         [](const std::string& text, study_options&, schedule_request& request) {
             return check_whole_list("--trials", text, 1, max_trials_per_level,
                                     "from 1 to 10^6 trials per level", request.sweep.trials);
         }},
        {"--bits",
         [](const std::string& text, study_options&, schedule_request& request) {
             return check_whole_list("--bits", text, 2, 24, "from 2 to 24", request.sweep.bits);
         }},
        {"--target",
         [](const std::string& text, study_options& options, schedule_request&) {
             if (text.empty()) {
                 return std::string("--target needs a value");
             }
             const parsed_values<double> parsed = parse_real_values(text);
             if (!parsed.error.empty() || parsed.values.size() != 1 ||
                 parsed.values.front() < 0.0 || parsed.values.front() > 100.0) {
                 return "--target must be a percentage from 0 to 100, not " + quoted_value(text);
             }
             options.target = parsed.values.front();
             return std::string();
         }},
        {"--csv", [](const std::string& text, study_options& options,
                     schedule_request&) { return check_path("--csv", text, options.csv_path); }},
        {"--plot",
         [](const std::string& text, study_options& options, schedule_request&) {
             std::string error = check_path("--plot", text, options.plot_path);
             if (error.empty() && !plot_format_supported(text)) {
                 error = "--plot writes .svg or .png files, not " + quoted_value(text);
             }
             return error;
         }},
    };
    return readers;
}

std::string check_combination(const study_options& options, const CLI::App& app) {
    if (options.trace) {
        if (options.cases.size() != 1) {
            return "--trace follows a single schedule, not a sweep";
        }
        for (const char* name : {"--runs", "--jobs", "--target"}) {
            if (app.count(name) > 0) {
                return std::string("--trace follows one run: ") + name + " does not apply";
            }
        }
    }
    if (names_same_file(options.csv_path, options.plot_path)) {
        return "--csv and --plot name the same file " + quoted_value(options.csv_path);
    }
    if (!options.trace &&
        options.first_run + static_cast<std::uint64_t>(options.runs) - 1 > max_run_number) {
        return "runs " + std::to_string(options.first_run) + " to " +
               std::to_string(options.first_run + static_cast<std::uint64_t>(options.runs) - 1) +
               " go past run 4294967295, after which the seeds repeat";
    }
    return {};
}

// Reads the options in the order they were typed; the first fault is the one reported.
std::string read_options(const CLI::App& app, const option_texts& texts, study_options& options) {
    options.trace = texts.trace;
    // The clock second unless a seed is typed: automatic temperatures need it before the runs.
    options.seed = static_cast<std::uint32_t>(std::time(nullptr));
    schedule_request request;
    std::vector<std::string> read;
    for (const CLI::Option* option : app.parse_order()) {
        const std::string name = option->get_name();
        const auto reader = option_readers().find(name);
        if (reader == option_readers().end() ||
            std::find(read.begin(), read.end(), name) != read.end()) {
            continue;
        }
        read.push_back(name);
        if (std::string error = reader->second(texts.values.at(name), options, request);
            !error.empty()) {
            return error;
        }
    }
    if (std::string error = expand_schedules(request, options); !error.empty()) {
        return error;
    }
    return check_combination(options, app);
}

// "(default 0.97)" for the demo's value of a schedule parameter.
std::string default_of(double widened_float) {
    return " (default " + shortest(widened_float) + ")";
}

const char* const footer =
    "Each of --t0, --t-final, --cooling, --alpha, --levels, --trials and --bits\n"
    "takes a value, a list such as 0.9,0.95,0.97 or a range start:stop:step; the\n"
    "study runs every combination. A list holds at most 10,000 values, a sweep at\n"
    "most 10,000 schedules, and a run at most 10^9 trials. Real values are rounded\n"
    "to single precision and widened, as sa_demo's own constants are, so the\n"
    "defaults reproduce sa_demo exactly. Whole numbers are decimal. Without --trials\n"
    "a level has bits / 2 trials, as in sa_demo.\n"
    "\n"
    "Run i (from 0) is what sa_demo does on choices 1 and 2 when started in clock\n"
    "second seed + i, taken modulo 2^32 as sa_demo takes the clock: every figure but\n"
    "the times is the same at any --jobs, and a study split with --first-run adds\n"
    "up to the whole.\n"
    "\n"
    "--t0 auto[:CHI] chooses T0 from 10,000 random moves, where worsening moves are\n"
    "accepted with probability CHI on average (0.8); --t-final auto[:CHI], where the\n"
    "smallest worsening seen is (0.01). Linear and Lundy-Mees cooling run L levels.\n"
    "\n"
    "Every report gives the time to solution with restarts: R99 runs reach the exact\n"
    "optimum with 99 % probability, TTS99 = R99 x trials per run, with the 95 %\n"
    "interval of the success share. sa_study merge --help: studies split with\n"
    "--first-run, added up.\n"
    "\n"
    "--trace follows one run, a line (or CSV row) per temperature level: the level\n"
    "(from 0), the temperature T, the moves accepted that improved and that did not\n"
    "(up/down; accepted_improving, accepted_worsening), the trials, x of the current\n"
    "solution, its value fo as the run accumulates it, and the best value so far.\n"
    "\n"
    "Files appear whole or not at all. --csv - writes the CSV to standard output in\n"
    "place of the report.\n"
    "\n"
    "Manual: man sa_study\n";

void add_options(CLI::App& app, option_texts& texts, const study_options& defaults) {
    const encoding demo = encoding_for(demo_problem);
    const schedule_params schedule = demo_schedule(demo);
    const auto add = [&app, &texts](const char* name, const char* type,
                                    const std::string& description) {
        app.add_option(name, texts.values[name], description)->type_name(type);
    };
    add("--runs", "N",
        "runs per schedule, 1 to 10^7 (default " + std::to_string(defaults.runs) + ")");
    add("--seed", "S", "seed of run 0, 0 to 4294967295 (default: the clock)");
    add("--first-run", "K", "study runs K to K+N-1 only, up to 4294967295 (default 0)");
    add("--jobs", "J", "threads, 1 to 4096 (default: every core)");
    add("--t0", "LIST", "initial temperature, up to 1e30, or auto[:CHI]" + default_of(schedule.t0));
    add("--t-final", "LIST", "final temperature, or auto[:CHI]" + default_of(schedule.t_final));
    add("--cooling", "LIST", "geometric (the default), linear or lundy-mees");
    add("--alpha", "LIST",
        "geometric cooling factor, between 0 and 1" + default_of(schedule.alpha));
    add("--levels", "LIST", "levels L of linear and Lundy-Mees cooling, 1 to 10^9");
    add("--trials", "LIST", "trials per level, 1 to 10^6 (default bits / 2)");
    add("--bits", "LIST", "encoding length, 2 to 24 (default " + std::to_string(demo.n_bits) + ")");
    add("--target", "P", "name the cheapest schedule reaching P % exact, 0 to 100");
    app.add_flag("--trace", texts.trace, "follow one run level by level instead");
    add("--csv", "FILE", "write a CSV file: a row per schedule or level (- for output)");
    add("--plot", "FILE", "draw it with gnuplot: FILE.svg or FILE.png");
}

// What CLI11 refuses, said as the other refusals are.
std::string refusal(const CLI::ParseError& error, const CLI::App& app) {
    const std::vector<std::string> extras = app.remaining();
    if (!extras.empty()) {
        const std::string& first = extras.front();
        return first.starts_with("-") ? "unknown option " + quoted_value(first) + " (" +
                                            app.get_name() + " --help lists the options)"
                                      : "unexpected argument " + quoted_value(first);
    }
    std::string what = error.what();
    const auto colon = what.find(':');
    if (what.starts_with("--") && colon != std::string::npos &&
        what.find("required", colon) != std::string::npos) {
        return what.substr(0, colon) + " needs a value";
    }
    if (what.starts_with("parts is required")) {
        return "needs the CSV files of the parts to merge";
    }
    return what;
}

// Runs CLI11 over the arguments. False, with the command's text, error and status set, when
// the command line stops at once: for --help or --version, or refused.
template <typename Command>
bool run_cli11(CLI::App& app, const std::vector<std::string>& args, Command& command) {
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
        return true;
    } catch (const CLI::CallForHelp&) {
        command.text = app.help();
        command.exit_status = 0;
    } catch (const CLI::CallForVersion& version) {
        command.text = std::string(version.what()) + "\n";
        command.exit_status = 0;
    } catch (const CLI::ParseError& error) {
        command.error = refusal(error, app);
        command.exit_status = 2;
    }
    return false;
}

}  // namespace

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
    add_options(app, texts, parsed.options);
    if (!run_cli11(app, args, parsed)) {
        return parsed;
    }
    parsed.error = read_options(app, texts, parsed.options);
    if (!parsed.error.empty()) {
        parsed.exit_status = 2;
    }
    return parsed;
}

merge_command parse_merge_command_line(const std::vector<std::string>& args) {
    merge_command parsed;
    CLI::App app(
        "Adds up studies of the same schedules split with --first-run, from their CSV\n"
        "files, into the whole study's report and CSV.",
        "sa_study merge");
    app.get_formatter()->column_width(20);
    std::string csv;
    std::string plot;
    app.add_option("parts", parsed.request.parts, "CSV files written by sa_study --csv")
        ->required()
        ->type_name("FILE");
    app.add_option("--csv", csv, "write the whole study's CSV (- for output)")->type_name("FILE");
    app.add_option("--plot", plot, "draw the sweep: FILE.svg or FILE.png")->type_name("FILE");
    app.footer(
        "Counts add and means are weighted by runs; so are the median times, which are\n"
        "marked as merged (median_measured 0). The parts must come from the same\n"
        "version, seed and schedules, and their runs must follow each other without\n"
        "overlap or gap.\n");
    if (!run_cli11(app, args, parsed)) {
        return parsed;
    }
    study_options paths;
    schedule_request unused;
    for (const char* name : {"--csv", "--plot"}) {
        if (app.count(name) > 0 && parsed.error.empty()) {
            parsed.error =
                option_readers().at(name)(name == std::string("--csv") ? csv : plot, paths, unused);
        }
    }
    if (parsed.error.empty() && names_same_file(paths.csv_path, paths.plot_path)) {
        parsed.error = "--csv and --plot name the same file " + quoted_value(paths.csv_path);
    }
    parsed.request.csv_path = paths.csv_path;
    parsed.request.plot_path = paths.plot_path;
    if (!parsed.error.empty()) {
        parsed.exit_status = 2;
    }
    return parsed;
}

}  // namespace sa
