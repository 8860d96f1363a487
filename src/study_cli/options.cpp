#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <utility>

#include "formula/formula.hpp"
#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

// Every value is taken as text and read by the study's own readers, not by CLI11, so that all
// of them follow one grammar (decimal only, nothing empty) and one style of message. CLI11
// keeps each option's values as typed, every time it is typed.
CLI::Option* add_text_option(CLI::App& app, const std::string& name, const std::string& type,
                             const std::string& description) {
    return app.add_option(name, description)
        ->type_name(type)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// Reads each option in the order typed, through `read` (the message of a value's fault, or
// nothing), up to the first fault; an option typed again is one.
template <typename Read>
std::optional<std::string> read_in_order(const CLI::App& app, const Read& read) {
    std::vector<const CLI::Option*> typed;
    for (const CLI::Option* option : app.parse_order()) {
        if (!option->nonpositional()) {
            continue;
        }
        if (std::find(typed.begin(), typed.end(), option) != typed.end()) {
            return option->get_name() + " is given twice";
        }
        typed.push_back(option);
        const std::vector<std::string>& values = option->results();
        if (std::optional<std::string> error =
                read(option->get_name(), values.empty() ? std::string() : values.front())) {
            return error;
        }
    }
    return std::nullopt;
}

// A file's path: anything but nothing, or a control character, which would reach gnuplot's
// script or a terminal.
std::optional<std::string> path_fault(const std::string& name, const std::string& text) {
    if (text.empty()) {
        return name + " needs a value";
    }
    const bool has_control = std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
    if (has_control) {
        return name + ": " + quoted_value(text) + " holds a control character";
    }
    if (name == "--plot" && !plot_format_supported(text)) {
        return "--plot writes .svg or .png files, not " + quoted_value(text);
    }
    return std::nullopt;
}

std::optional<std::string> same_file_fault(const std::string& csv_path,
                                           const std::string& plot_path) {
    if (names_same_file(csv_path, plot_path)) {
        return "--csv and --plot name the same file " + quoted_value(csv_path);
    }
    return std::nullopt;
}

// Reads one field's text into the request: the message of its fault, or nothing.
std::optional<std::string> read_request_field(study_field field, const std::string& text,
                                              study_request& request) {
    const std::optional<fault> wrong = read_field(field, text, request);
    return wrong ? std::optional(message_of(*wrong)) : std::nullopt;
}

// Reads one option's text into the command: the message of its fault, or nothing.
std::optional<std::string> read_option(const std::string& name, const std::string& text,
                                       study_command& command) {
    if (const std::optional<study_field> field = field_of_option(name)) {
        command.given.push_back(*field);
        return read_request_field(*field, text, command.request);
    }
    if (name == "--csv" || name == "--plot") {
        std::string& path = name == "--csv" ? command.csv_path : command.plot_path;
        path = text;
        return path_fault(name, text);
    }
    return std::nullopt;  // a flag, --trace, --population or --hills, whose value CLI11 reads
}

// What only a trace or a population refuses: a sweep, each other, and the options of a study
// that do not apply; a population, also one too costly to follow.
std::optional<std::string> single_schedule_fault(const study_command& command,
                                                 const study_plan& plan) {
    if (command.trace && command.population) {
        return "--trace and --population cannot be given together";
    }
    const std::string option = command.trace ? "--trace" : "--population";
    if (plan.cases.size() != 1) {
        return option + " follows a single schedule, not a sweep";
    }
    const std::vector<study_field> inapplicable =
        command.trace ? std::vector{study_field::runs, study_field::jobs, study_field::target}
                      : std::vector{study_field::target};
    for (const study_field field : inapplicable) {
        if (std::find(command.given.begin(), command.given.end(), field) != command.given.end()) {
            return option + (command.trace ? " follows one run: " : " follows the runs' levels: ") +
                   names_of(field).option + " does not apply";
        }
    }
    const std::optional<fault> costly =
        command.population ? population_fault(plan.cases.front()) : std::nullopt;
    return costly ? std::optional(message_of(*costly)) : std::nullopt;
}

// What --hills refuses: another mode, a sweep of grids, and the options of runs and schedules.
std::optional<std::string> hills_fault(const study_command& command, const study_plan& plan) {
    if (command.trace || command.population) {
        return std::string("--hills lists the landscape's hills alone: ") +
               (command.trace ? "--trace" : "--population") + " does not apply";
    }
    for (const study_field field : command.given) {
        const bool applies = names_of(field).part == field_part::landscape ||
                             field == study_field::bits || field == study_field::jobs;
        if (!applies) {
            return std::string("--hills lists the landscape's hills alone: ") +
                   names_of(field).option + " does not apply";
        }
    }
    if (plan.cases.size() != 1) {
        return std::string("--hills lists the hills of one grid, not a sweep");
    }
    return std::nullopt;
}

// "(default 0.97)" for the demo's value of a schedule parameter.
std::string default_of(double widened_float) {
    return " (default " + shortest(widened_float) + ")";
}

// The titles of the laws that --levels sets, for prose.
std::string levelled_laws() {
    return listed(spelled(laws_taking(takes_levels), &spelling::title), " and ");
}

std::string footer() {
    std::string levelled = levelled_laws();
    levelled.front() =
        static_cast<char>(std::toupper(static_cast<unsigned char>(levelled.front())));
    return "Each of --t0, --t-final, --cooling, --alpha, --levels, --trials, --bits and\n"
           "--acceptance takes a value, a list such as 0.9,0.95,0.97 or a range\n"
           "start:stop:step; the study runs every combination. A list holds at most 10,000\n"
           "values, a sweep at most 10,000 schedules, and a run at most 10^9 trials. Real\n"
           "values are rounded to single precision and widened, as sa_demo's own constants\n"
           "are, so the defaults reproduce sa_demo exactly. Whole numbers are decimal.\n"
           "Without --trials a level has bits / 2 trials, as in sa_demo.\n"
           "\n"
           "--acceptance continuous takes a worse move with probability exp(delta / T), as\n"
           "textbooks do, r uniform on [0, 1) to 53 bits. The demo's r takes 10,000 values,\n"
           "0 among them, so that its runs take a worse move whose exp(delta / T) is not 0\n"
           "with probability at least 1 in 10,000 however cold they are, and do not settle\n"
           "into the Boltzmann distribution.\n"
           "\n"
           "Run i (from 0) is what sa_demo does on choices 1 and 2 when started in clock\n"
           "second seed + i, taken modulo 2^32 as sa_demo takes the clock: every figure but\n"
           "the times is the same at any --jobs, and a study split with --first-run adds\n"
           "up to the whole.\n"
           "\n"
           "--t0 auto[:CHI] chooses T0 from 10,000 random moves, where worsening moves are\n"
           "accepted with probability CHI on average (0.8); --t-final auto[:CHI], where the\n"
           "smallest worsening seen is (0.01). " +
           levelled +
           " cooling run L levels.\n"
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
           "--population follows the runs of a single schedule as each level ends: the\n"
           "shares of them on the hills of f's two highest peaks, beside those of the\n"
           "Boltzmann distribution of the grid at the level's T (exp(f(x) / T)\n"
           "normalised), and the total variation distance between the two over all hills;\n"
           "a CSV row per level, and a picture of the runs over x and level beside the\n"
           "distribution. It is the equilibrium of the runs' chain under continuous\n"
           "acceptance, while every move's exp(delta / T) is 2^-53 or more; the demo's runs\n"
           "keep off it at low temperature. At most 10,000 levels, and 10^9 grid points\n"
           "over all levels.\n"
           "\n" +
           wrapped("--landscape takes " + listed(landscape_names(), " or ") +
                       " (the first is sa_demo's f), a formula of x such as 'sin(3 * x) + x / 2' "
                       "(+ - * / ^, parentheses, x, pi, e, numbers with a decimal point, " +
                       listed(formula_function_names(), " and ") +
                       "), or a drawing 'points:(X1,Y1),(X2,Y2),...' joined by a monotone "
                       "cubic. Such a landscape is evaluated in double and rounded to single "
                       "precision, and its hills are found on the grid; --hills lists them "
                       "instead of running anything.",
                   0) +
           "\n\n"
           "Files appear whole or not at all. --csv - writes the CSV to standard output in\n"
           "place of the report.\n"
           "\n"
           "Manual: man sa_study\n";
}

// Every law's name, for --help, the demo's marked as the default.
std::string law_choices(const cooling& demo_law) {
    std::vector<std::string> names = spelled(every_law(), &spelling::name);
    names[demo_law.index()] += " (the default)";
    return listed(names, " or ");
}

// Every acceptance rule's name, for --help, the demo's marked as the default.
std::string acceptance_choices(const sa::acceptance& demo_rule) {
    std::vector<std::string> names = spelled(every_acceptance(), &spelling::name);
    names[demo_rule.index()] += " (the default)";
    return listed(names, " or ");
}

void add_options(CLI::App& app, study_command& command) {
    const study_request& defaults = command.request;
    const encoding demo = encoding_for(demo_problem);
    const cooling_schedule schedule = demo_schedule(demo);
    const auto add = [&app](const char* name, const char* type, const std::string& description) {
        add_text_option(app, name, type, description);
    };
    const auto add_field = [&add](study_field field, const char* type,
                                  const std::string& description) {
        add(names_of(field).option, type, description);
    };
    using enum study_field;
    add_field(runs, "N",
              "runs per schedule, 1 to 10^7 (default " + std::to_string(defaults.runs) + ")");
    add_field(seed, "S", "seed of run 0, 0 to 4294967295 (default: the clock)");
    add_field(first_run, "K", "study runs K to K+N-1 only, up to 4294967295 (default 0)");
    add_field(jobs, "J", "threads, 1 to 4096 (default: every core)");
    add_field(t0, "LIST",
              "initial temperature, up to 1e30, or auto[:CHI]" + default_of(schedule.t0()));
    add_field(t_final, "LIST", "final temperature, or auto[:CHI]" + default_of(schedule.t_final()));
    add_field(laws, "LIST", law_choices(schedule.law()));
    add_field(alpha, "LIST",
              listed(spelled(laws_taking(takes_alpha), &spelling::name), " or ") +
                  " cooling factor, between 0 and 1" + default_of(alpha_of(schedule.law())));
    add_field(levels, "LIST", "levels L of " + levelled_laws() + " cooling, 1 to 10^9");
    add_field(trials, "LIST", "trials per level, 1 to 10^6 (default bits / 2)");
    add_field(bits, "LIST",
              "encoding length, 2 to 24 (default " + std::to_string(demo.n_bits) + ")");
    add_field(acceptance, "LIST",
              "how a worse move is decided: " + acceptance_choices(schedule.acceptance()));
    add_field(target, "P", "name the cheapest schedule reaching P % exact, 0 to 100");
    add_field(landscape, "F", "the function searched (see below; default demo)");
    add_field(x_min, "A", "the interval's start, within 1e6 of 0" + default_of(demo_problem.x_min));
    add_field(x_max, "B", "the interval's end" + default_of(demo_problem.x_max));
    app.add_flag("--trace", command.trace, "follow one run level by level instead");
    app.add_flag("--population", command.population,
                 "follow the runs level by level against equilibrium instead");
    app.add_flag("--hills", command.hills, "list the landscape's hills on its grid instead");
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

// Runs CLI11 over the arguments: nothing, or how the command line stops at once: for --help
// or --version, or refused.
std::optional<early_exit> run_cli11(CLI::App& app, const std::vector<std::string>& args) {
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        return early_exit{0, app.help(), ""};
    } catch (const CLI::CallForVersion& version) {
        return early_exit{0, std::string(version.what()) + "\n", ""};
    } catch (const CLI::ParseError& error) {
        return early_exit{2, "", refusal(error, app)};
    }
}

early_exit refused(std::string message) {
    return {2, "", std::move(message)};
}

}  // namespace

expected<study_command, early_exit> parse_command_line(const std::vector<std::string>& args,
                                                       int cores) {
    study_command command;
    command.request.jobs = std::max(1, cores);
    CLI::App app(
        "Runs simulated annealing on sa_demo's function many times, under its schedule\n"
        "or a sweep of schedules, and reports how often the runs find the optimum.",
        "sa_study");
    app.set_version_flag("--version", "sa_study " SA_DEMO_VERSION);
    app.footer(footer());
    app.get_formatter()->column_width(20);
    add_options(app, command);
    if (std::optional<early_exit> stop = run_cli11(app, args)) {
        return *stop;
    }
    const auto read = [&command](const std::string& name, const std::string& text) {
        return read_option(name, text, command);
    };
    if (std::optional<std::string> error = read_in_order(app, read)) {
        return refused(*error);
    }
    return command;
}

expected<study_plan, std::string> plan_command(const study_command& command, std::uint32_t seed) {
    expected<study_plan> plan = plan_study(command.request, seed);
    if (!plan) {
        return message_of(plan.error());
    }
    if (command.hills) {
        if (std::optional<std::string> error = hills_fault(command, *plan)) {
            return *error;
        }
    } else if (command.trace || command.population) {
        if (std::optional<std::string> error = single_schedule_fault(command, *plan)) {
            return *error;
        }
    }
    if (std::optional<std::string> error = same_file_fault(command.csv_path, command.plot_path)) {
        return *error;
    }
    // A trace follows the first run alone; the hills need no run.
    if (std::optional<fault> wrong =
            command.trace || command.hills ? std::nullopt : run_range_fault(command.request)) {
        return message_of(*wrong);
    }
    return std::move(*plan);
}

expected<merge_request, early_exit> parse_merge_command_line(const std::vector<std::string>& args) {
    merge_request request;
    CLI::App app(
        "Adds up studies of the same schedules split with --first-run, from their CSV\n"
        "files, into the whole study's report and CSV.",
        "sa_study merge");
    app.get_formatter()->column_width(20);
    app.add_option("parts", request.parts, "CSV files written by sa_study --csv")
        ->required()
        ->type_name("FILE");
    add_text_option(app, "--runs", "N", "runs of the whole study, 1 to 10^7 (needed)");
    add_text_option(app, "--first-run", "K", "its first run, up to 4294967295 (default 0)");
    add_text_option(app, "--csv", "FILE", "write the whole study's CSV (- for output)");
    add_text_option(app, "--plot", "FILE", "draw the sweep: FILE.svg or FILE.png");
    app.footer(
        "--runs states the whole study, runs K to K+N-1, so that a missing part is\n"
        "noticed. The parts must come from this version, one seed and the same\n"
        "schedules, and hold those runs without overlap or gap. Counts and sums add;\n"
        "the median times are the parts' medians weighted by their runs, marked as\n"
        "merged (median_measured 0).\n");
    if (std::optional<early_exit> stop = run_cli11(app, args)) {
        return *stop;
    }
    study_request whole;
    const auto read = [&request, &whole](const std::string& name, const std::string& text) {
        if (const std::optional<study_field> field = field_of_option(name)) {
            return read_request_field(*field, text, whole);
        }
        std::string& path = name == "--csv" ? request.csv_path : request.plot_path;
        path = text;
        return path_fault(name, text);
    };
    if (std::optional<std::string> error = read_in_order(app, read)) {
        return refused(*error);
    }
    if (app.count("--runs") == 0) {
        return refused(
            "needs --runs, the runs of the whole study, so that a missing part is "
            "noticed");
    }
    if (std::optional<fault> wrong = run_range_fault(whole)) {
        return refused(message_of(*wrong));
    }
    request.runs = whole.runs;
    request.first_run = whole.first_run;
    if (std::optional<std::string> error = same_file_fault(request.csv_path, request.plot_path)) {
        return refused(*error);
    }
    return request;
}

}  // namespace sa
