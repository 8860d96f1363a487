#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <thread>

#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

using clock_type = std::chrono::steady_clock;

// Seconds a trial takes on one thread, measured by the benchmark with some room to spare: in
// lockstep for a study, one at a time for a trace.
constexpr double seconds_per_study_trial = 20e-9;
constexpr double seconds_per_traced_trial = 150e-9;

// A trace's picture shows at most this many levels, evenly spaced: more would not show.
constexpr std::int64_t plotted_levels = 10'000;

// Whether a progress line stands on the terminal, for the signal handler to clear it.
volatile std::sig_atomic_t progress_shown = 0;

void clear_progress_line() {
    constexpr std::string_view blank =
        "\r                                                            \r";
    if (progress_shown != 0) {
        static_cast<void>(::write(STDERR_FILENO, blank.data(), blank.size()));
        progress_shown = 0;
    }
}

// An interrupted study leaves no partial file behind it, and no progress line. A gnuplot
// drawing is ended first, so that it cannot write the picture again once it is removed.
extern "C" void on_interrupt(int signal_number) {
    stop_drawing();
    remove_pending_files();
    clear_progress_line();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void install_signal_handlers() {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal_number, on_interrupt);
    }
    // A closed pipe shows as a failed write instead, so the files are finished first.
    std::signal(SIGPIPE, SIG_IGN);
}

std::string duration_text(double seconds) {
    if (seconds < 1.0) {
        return "under a second";
    }
    if (seconds < 120.0) {
        return format("about %.0f s", seconds);
    }
    if (seconds < 7200.0) {
        return format("about %.0f min", seconds / 60.0);
    }
    return format("about %.1f h", seconds / 3600.0);
}

// Standard output, whose first failure is remembered: the program goes on to finish its
// files, and then says what failed. The report gives way when the CSV takes its place.
class report_output {
  public:
    report_output(const char* program, bool report_shown)
        : program_(program), report_shown_(report_shown) {}

    void write(const std::string& text) {
        if (report_shown_) {
            data(text);
        }
    }
    void data(const std::string& text) {
        if (error_ == 0 && std::fputs(text.c_str(), stdout) == EOF) {
            error_ = errno;
        }
    }
    void flush() {
        if (error_ == 0 && std::fflush(stdout) != 0) {
            error_ = errno;
        }
    }

    // The exit status once all else is done; a closed pipe ends the program as it ends
    // other tools, quietly.
    int finish(int status) {
        flush();
        if (error_ == EPIPE) {
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
        }
        if (error_ != 0) {
            std::fprintf(stderr, "%s: cannot write standard output: %s\n", program_,
                         std::strerror(error_));
            return status == 0 ? 1 : status;
        }
        return status;
    }

  private:
    const char* program_;
    bool report_shown_;
    int error_ = 0;
};

// Trials done so far, on standard error when it is a terminal, once the work has taken a
// second: a percentage and the time left. `unit` names what is counted.
class progress_line {
  public:
    explicit progress_line(std::int64_t total, const char* unit = "trials")
        : total_(total),
          unit_(unit),
          shown_(::isatty(STDERR_FILENO) == 1),
          start_(clock_type::now()) {}
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;
    ~progress_line() { clear_progress_line(); }

    void update(std::int64_t done) {
        const auto now = clock_type::now();
        if (!shown_ || total_ <= 0 || now - start_ < std::chrono::seconds(1) ||
            now - last_ < std::chrono::milliseconds(200)) {
            return;
        }
        last_ = now;
        const double fraction = static_cast<double>(done) / static_cast<double>(total_);
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        const double left = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : 0.0;
        std::fprintf(stderr, "\rsa_study: %3.0f %% of %.3g %s, %s left   ", 100.0 * fraction,
                     static_cast<double>(total_), unit_, duration_text(left).c_str());
        progress_shown = 1;
    }

  private:
    std::int64_t total_;
    const char* unit_;
    bool shown_;
    clock_type::time_point start_;
    clock_type::time_point last_;
};

// What a study will do and how long it should take, before it starts.
void announce_work(std::int64_t schedules, std::int64_t runs, std::int64_t trials, double seconds) {
    if (::isatty(STDERR_FILENO) != 1) {
        return;
    }
    std::fprintf(stderr, "sa_study: %s x %s, %.3g trials in all: %s\n",
                 count_of(schedules, "schedule", "schedules").c_str(),
                 count_of(runs, "run", "runs").c_str(), static_cast<double>(trials),
                 duration_text(seconds).c_str());
}

int fail(const char* program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    return 1;
}

// Whether the CSV goes to standard output: asked for as "-", or a path to the same file.
bool csv_to_output(const std::string& path) {
    if (path == "-") {
        return true;
    }
    struct stat output {};
    struct stat target {};
    return !path.empty() && ::fstat(STDOUT_FILENO, &output) == 0 &&
           ::stat(path.c_str(), &target) == 0 && output.st_dev == target.st_dev &&
           output.st_ino == target.st_ino;
}

// The files a command writes are each finished in a temporary file of their own, and put in
// place together once all are: an interrupt before then leaves every file as it was, never a
// CSV of this study beside a picture of another. A picture that gnuplot cannot draw keeps no
// other file from being written; the command then fails, saying so.
template <typename Draw>
int put_in_place(const char* program, std::optional<output_file>& csv, const std::string& plot_path,
                 const Draw& draw) {
    std::optional<output_file> picture;
    std::optional<std::string> drawing_error;
    if (!plot_path.empty()) {
        picture.emplace(plot_path);
        if (picture->stream() != nullptr) {
            drawing_error = draw(picture->temporary_path());
        }
    }
    if (csv) {
        if (std::optional<std::string> error = csv->commit()) {
            return fail(program, *error);
        }
    }
    if (drawing_error) {
        return fail(program, *drawing_error + " (" + plot_path + ")");
    }
    if (picture) {
        if (std::optional<std::string> error = picture->commit()) {
            return fail(program, *error);
        }
    }
    return 0;
}

// What a study is to do: the command and its plan, run from `seed`.
struct study_order {
    const study_command& command;
    const study_plan& plan;
    seed_range range;
};

int run_trace(const char* program, const study_order& order, report_output& out) {
    const study_command& options = order.command;
    const study_case& study = order.plan.cases.front();
    const std::int64_t levels = count_levels(study.schedule);
    const std::int64_t trials = trials_per_run(study.schedule);
    announce_work(1, 1, trials, static_cast<double>(trials) * seconds_per_traced_trial);
    const bool csv_out = csv_to_output(options.csv_path);
    std::optional<output_file> csv;
    if (!options.csv_path.empty() && !csv_out) {
        csv.emplace(options.csv_path);
    }
    const auto write_csv = [&](const std::string& text) {
        if (csv_out) {
            out.data(text);
        } else if (csv && csv->stream() != nullptr) {
            std::fputs(text.c_str(), csv->stream());
        }
    };
    out.write(schedule_heading(study) + "\n");
    write_csv(trace_csv_heading());
    std::vector<level_summary> plotted;
    const std::int64_t plot_every =
        std::max<std::int64_t>(1, (levels + plotted_levels - 1) / plotted_levels);
    progress_line progress(trials);
    const run_report report = trace_run(
        study, order.range, [&out](const trace_start& start) { out.write(trace_heading(start)); },
        [&](const level_summary& level) {
            out.write(trace_line(level));
            write_csv(trace_csv_row(level));
            if (!options.plot_path.empty() &&
                (level.level % plot_every == 0 || level.level == levels - 1)) {
                plotted.push_back(level);
            }
            progress.update((level.level + 1) * study.schedule.trials_per_level());
        });
    out.write(trace_ending(study.landscape, report));
    return put_in_place(program, csv, options.plot_path,
                        [&](const std::string& path) { return plot_trace(path, study, plotted); });
}

// A CSV text and where it goes.
struct csv_output {
    std::string_view text;
    const std::string& path;
};

// The CSV first, safe whatever becomes of standard output; then the report; then the picture,
// and the files put in place.
template <typename Draw>
int write_outputs(const char* program, report_output& out, const csv_output& csv,
                  std::string_view report, const std::string& plot_path, const Draw& draw) {
    std::optional<output_file> csv_file;
    if (csv_to_output(csv.path)) {
        out.data(std::string(csv.text));
    } else if (!csv.path.empty()) {
        csv_file.emplace(csv.path);
        if (csv_file->stream() != nullptr) {
            std::fwrite(csv.text.data(), 1, csv.text.size(), csv_file->stream());
        }
    }
    out.write(std::string(report));
    return put_in_place(program, csv_file, plot_path, draw);
}

int run_study(const char* program, const study_order& order, report_output& out) {
    const study_command& options = order.command;
    const study_request& request = options.request;
    const seed_range& range = order.range;
    const std::int64_t total = planned_trials(order.plan, request.runs);
    announce_work(static_cast<std::int64_t>(order.plan.cases.size()), request.runs, total,
                  static_cast<double>(total) * seconds_per_study_trial / request.jobs);
    grid_cache grids(request.jobs);
    plan_results made;
    {
        progress_line progress(total);
        made = run_plan(order.plan.cases, range, request.jobs, grids,
                        [&progress](std::int64_t done) { progress.update(done); });
    }
    const std::vector<case_result>& results = made.results;
    const std::vector<run_outcome>& last_runs = made.last_runs;
    // With a single case, the grid kept is that case's.
    const study_case& last = order.plan.cases.back();
    const tabulated_grid& grid = grids.of(last.landscape, last.bits);
    std::string report = results.size() == 1
                             ? single_report(results.front(), grid, last_runs, range)
                             : count_of(range.count, "run", "runs") + " per schedule:\n\n" +
                                   sweep_table(results) + "\n" + tts_table(results) + "\n" +
                                   least_tts_line(results);
    if (request.target) {
        report += '\n';
        report += target_line(results, *request.target);
    }
    const std::string csv =
        study_csv(results, {static_cast<std::uint32_t>(range.seed), range.first, true});
    return write_outputs(program, out, {csv, options.csv_path}, report, options.plot_path,
                         [&](const std::string& path) {
                             return results.size() == 1
                                        ? plot_study(path, results.front(), grid.space, last_runs)
                                        : plot_sweep(path, results);
                         });
}

// The counts of a population's bins, in its CSV and picture: as many as a picture shows.
constexpr int population_bins = 100;

int run_population(const char* program, const study_order& order, report_output& out) {
    const study_command& options = order.command;
    const study_case& study = order.plan.cases.front();
    const std::int64_t trials = trials_per_run(study.schedule) * order.range.count;
    const tabulated_space space(study.landscape, study.grid(), options.request.jobs);
    // A point of a level's equilibrium costs about what a trial does, on one thread.
    const std::int64_t points = count_levels(study.schedule) * (space.grid_encoding().d_max + 1);
    announce_work(
        1, order.range.count, trials,
        (static_cast<double>(trials) / options.request.jobs + static_cast<double>(points)) *
            seconds_per_study_trial);
    std::optional<population_study> population;
    {
        progress_line progress(trials + points, "trials and grid points");
        const std::int64_t level_points = space.grid_encoding().d_max + 1;
        population =
            study_population(space, study, population_bins, order.range, options.request.jobs,
                             {[&progress](std::int64_t done) { progress.update(done); },
                              [&](std::int64_t levels_done) {
                                  progress.update(trials + levels_done * level_points);
                              }});
    }
    return write_outputs(
        program, out, {population_csv(*population), options.csv_path},
        population_report(*population), options.plot_path,
        [&population](const std::string& path) { return plot_population(path, *population); });
}

int run_hills(const char* program, const study_order& order, report_output& out) {
    const study_command& options = order.command;
    const study_case& study = order.plan.cases.front();
    const tabulated_space space(study.landscape, study.grid(), options.request.jobs);
    const grid_hills found = hills_on_grid(space);
    return write_outputs(program, out, {hills_csv(found), options.csv_path}, hills_report(found),
                         options.plot_path,
                         [&found](const std::string& path) { return plot_hills(path, found); });
}

// What must hold before any work starts: gnuplot there if a picture is asked for, and every
// file writable. Nothing is created yet.
std::optional<std::string> unready_reason(const std::string& csv_path,
                                          const std::string& plot_path) {
    if (!plot_path.empty() && !gnuplot_available()) {
        return "--plot needs gnuplot (apt-get install gnuplot-nox)";
    }
    for (const std::string& path : {csv_path, plot_path}) {
        if (!path.empty() && !csv_to_output(path)) {
            if (auto reason = unwritable_reason(path)) {
                return reason;
            }
        }
    }
    return std::nullopt;
}

// Prints what a command line that stops at once prints; its exit status.
int stop_at_once(const char* program, const early_exit& stop) {
    report_output out(program, true);
    out.write(stop.text);
    if (!stop.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, stop.error.c_str());
    }
    return out.finish(stop.status);
}

int refuse(const char* program, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    return 2;
}

int merge_main(const std::vector<std::string>& args) {
    const char* const program = "sa_study merge";
    const expected<merge_request, early_exit> command = parse_merge_command_line(args);
    if (!command) {
        return stop_at_once(program, command.error());
    }
    const merge_request& request = *command;
    if (const auto reason = unready_reason(request.csv_path, request.plot_path)) {
        return refuse(program, *reason);
    }
    const expected<merged_study, std::string> whole = merge_parts(request);
    if (!whole) {
        return refuse(program, whole.error());
    }
    const merged_study& merged = *whole;
    const std::vector<case_result>& results = merged.results;
    const std::string report =
        format("seed %u\n\n", merged.origin.seed) +
        count_of(results.front().summary.runs, "run", "runs") + " per schedule (" +
        runs_text(merged.origin.first_run, merged.last_run) + ", from " +
        count_of(static_cast<std::int64_t>(merged.parts), "part", "parts") + "):\n\n" +
        sweep_table(results) + "\n" + tts_table(results) + "\n" + least_tts_line(results) + "\n" +
        wrapped(
            "The median times are the parts' medians weighted by their runs, not the median "
            "of the whole.",
            0) +
        "\n";
    report_output out(program, !csv_to_output(request.csv_path));
    const std::string csv = study_csv(results, merged.origin);
    const int status =
        write_outputs(program, out, {csv, request.csv_path}, report, request.plot_path,
                      [&results](const std::string& path) { return plot_sweep(path, results); });
    return out.finish(status);
}

}  // namespace

int study_main(const std::vector<std::string>& args) {
    install_signal_handlers();
    if (!args.empty() && args.front() == "merge") {
        return merge_main({args.begin() + 1, args.end()});
    }
    const char* const program = "sa_study";
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const expected<study_command, early_exit> command = parse_command_line(args, cores);
    if (!command) {
        return stop_at_once(program, command.error());
    }
    const study_command& options = *command;
    // The clock second unless a seed is typed: automatic temperatures need it before the runs.
    const std::uint32_t seed =
        options.request.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    const expected<study_plan, std::string> plan = plan_command(options, seed);
    if (!plan) {
        return refuse(program, plan.error());
    }
    if (const auto reason = unready_reason(options.csv_path, options.plot_path)) {
        return refuse(program, *reason);
    }
    // With the CSV on standard output, the report gives way, and the seed goes to the side.
    report_output out(program, !csv_to_output(options.csv_path));
    if (csv_to_output(options.csv_path) && !options.hills) {
        std::fprintf(stderr, "sa_study: seed %u\n", seed);
    }
    const study_order order{
        options, *plan, {seed, options.request.first_run, options.request.runs}};
    if (options.hills) {
        return out.finish(run_hills(program, order, out));
    }
    out.write(format("seed %u\n\n", seed));
    out.write(automatic_temperatures_text(plan->automatic));
    out.flush();
    const int status = options.trace        ? run_trace(program, order, out)
                       : options.population ? run_population(program, order, out)
                                            : run_study(program, order, out);
    return out.finish(status);
}

}  // namespace sa
