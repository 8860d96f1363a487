#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <thread>

#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace sa {

namespace {

using clock_type = std::chrono::steady_clock;

// Runs done so far, on standard error when it is a terminal, once a study has taken a second.
class progress_line {
  public:
    explicit progress_line(long total)
        : total_(total), shown_(::isatty(STDERR_FILENO) == 1), start_(clock_type::now()) {}
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;
    ~progress_line() {
        if (printed_) {
            std::fprintf(stderr, "\r%40s\r", "");
        }
    }

    void update(long done) {
        const auto now = clock_type::now();
        if (!shown_ || now - start_ < std::chrono::seconds(1) ||
            now - last_ < std::chrono::milliseconds(200)) {
            return;
        }
        last_ = now;
        printed_ = true;
        std::fprintf(stderr, "\rsa_study: %ld of %ld runs", base_ + done, total_);
    }

    // The runs of the next case start counting after those already done.
    void next_case(long runs) { base_ += runs; }

  private:
    long total_;
    long base_ = 0;
    bool shown_;
    bool printed_ = false;
    clock_type::time_point start_;
    clock_type::time_point last_;
};

// Writes the CSV file the options ask for, if any; false when it cannot be written.
bool write_csv(const study_options& options, const std::string& csv) {
    if (options.csv_path.empty()) {
        return true;
    }
    std::ofstream file(options.csv_path, std::ios::binary);
    file << csv;
    return static_cast<bool>(file.flush());
}

int fail(const std::string& message) {
    std::fprintf(stderr, "sa_study: %s\n", message.c_str());
    return 1;
}

int run_trace(const study_options& options, const seed_range& range) {
    const study_case& study = options.cases.front();
    const traced_run run = trace_run(study, range);
    std::printf("schedule: %s\n          %s\n\n%s", describe_case(study).c_str(),
                describe_cost(study).c_str(), trace_table(run).c_str());
    if (!write_csv(options, trace_csv(run))) {
        return fail("cannot write " + options.csv_path);
    }
    if (!options.plot_path.empty() && !plot_trace(options.plot_path, study, run)) {
        return fail("gnuplot could not draw " + options.plot_path);
    }
    return 0;
}

int run_study(const study_options& options, const seed_range& range) {
    grid_cache grids;
    std::vector<case_result> results;
    std::vector<run_outcome> last_runs;
    {
        progress_line progress(range.count * static_cast<long>(options.cases.size()));
        for (const study_case& study : options.cases) {
            const tabulated_grid& grid = grids.of(study.bits);
            last_runs = study_runs(grid.space, study, range, options.jobs,
                                   [&progress](long done) { progress.update(done); });
            progress.next_case(range.count);
            results.push_back({study, grid.landmarks, summarize(last_runs, grid.landmarks)});
        }
    }
    // With a single case, the grid kept is that case's.
    const tabulated_grid& grid = grids.of(options.cases.back().bits);
    if (results.size() == 1) {
        std::printf("%s", single_report(results.front(), grid, last_runs, range).c_str());
    } else {
        std::printf("%ld runs per schedule:\n\n%s", range.count, sweep_table(results).c_str());
    }
    if (options.target) {
        std::printf("\n%s", target_line(results, *options.target).c_str());
    }
    if (!write_csv(options, study_csv(results))) {
        return fail("cannot write " + options.csv_path);
    }
    if (!options.plot_path.empty()) {
        const bool drawn = results.size() == 1 ? plot_study(options.plot_path, results.front(),
                                                            grid.space, last_runs)
                                               : plot_sweep(options.plot_path, results);
        if (!drawn) {
            return fail("gnuplot could not draw " + options.plot_path);
        }
    }
    return 0;
}

}  // namespace

int study_main(const std::vector<std::string>& args) {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const command_line command = parse_command_line(args, cores);
    if (command.exit_status) {
        std::printf("%s", command.text.c_str());
        if (!command.error.empty()) {
            std::fprintf(stderr, "sa_study: %s\n", command.error.c_str());
        }
        return *command.exit_status;
    }
    const study_options& options = command.options;
    if (!options.plot_path.empty() && !gnuplot_available()) {
        std::fprintf(stderr, "sa_study: --plot needs gnuplot (apt-get install gnuplot-nox)\n");
        return 2;
    }
    for (const std::string& path : {options.csv_path, options.plot_path}) {
        // Found out before the study rather than after it.
        if (!path.empty() && !std::ofstream(path, std::ios::app)) {
            std::fprintf(stderr, "sa_study: cannot write %s\n", path.c_str());
            return 2;
        }
    }
    const std::uint32_t seed =
        options.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    std::printf("seed %u\n\n", seed);
    const seed_range range{seed, options.first_run, options.runs};
    return options.trace ? run_trace(options, range) : run_study(options, range);
}

}  // namespace sa
