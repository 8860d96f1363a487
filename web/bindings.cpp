// The libraries as the page sees them, through embind: sa_demo's session, a schedule checked
// by sa_study's own command line, a run stepped trial by trial, a study run in chunks and the
// grid it runs on. Every number the page shows comes from here; the page only draws.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "objective/objective.hpp"
#include "study/study.hpp"
#include "study_cli/study_cli.hpp"
#include "study_output/study_output.hpp"

namespace {

using emscripten::val;

// ---- sa_demo's session

// What a session prints for that clock second and that standard input, and whether it ended
// for want of more input, where sa_demo at a terminal would wait, rather than at choice 0.
val session(std::uint32_t second, std::string input) {
    std::FILE* in = fmemopen(input.data(), input.size(), "r");
    char* printed = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&printed, &length);
    val result = val::object();
    if (in == nullptr || out == nullptr) {
        result.set("error", std::string("no memory for the session's streams"));
        return result;
    }
    result.set("status", sa::run_program(second, {in, out}));
    result.set("awaitingInput", std::feof(in) != 0);
    std::fclose(in);
    std::fclose(out);
    result.set("text", std::string(printed, length));
    std::free(printed);
    return result;
}

// ---- The schedule, checked by sa_study's command line

// The page's fields, each as typed: an empty one stands for sa_study's default, as an option
// left out does.
std::vector<std::string> study_arguments(const val& fields) {
    static const char* const options[][2] = {
        {"seed", "--seed"},      {"runs", "--runs"},     {"t0", "--t0"},     {"alpha", "--alpha"},
        {"tFinal", "--t-final"}, {"trials", "--trials"}, {"bits", "--bits"},
    };
    std::vector<std::string> args;
    for (const auto& [field, option] : options) {
        const val value = fields[field];
        if (value.isString() && !value.as<std::string>().empty()) {
            // --name=value keeps a value that starts with a dash a value.
            args.push_back(std::string(option) + "=" + value.as<std::string>());
        }
    }
    return args;
}

// The page studies one schedule at a time, and up to this many runs of it.
constexpr long page_max_runs = 100'000;

// What sa_study makes of the fields, or why it refuses them.
struct checked_fields {
    sa::study_options options;
    std::string error;
};

checked_fields check(const val& fields) {
    sa::command_line parsed = sa::parse_command_line(study_arguments(fields), 1);
    checked_fields checked{std::move(parsed.options), std::move(parsed.error)};
    if (checked.error.empty() && checked.options.cases.size() != 1) {
        checked.error = "the page runs one schedule at a time: give one value, not a list";
    }
    if (checked.error.empty() && checked.options.runs > page_max_runs) {
        checked.error = "--runs must be at most " + std::to_string(page_max_runs) + " on this page";
    }
    return checked;
}

// Checked fields that the page has already shown to check out; any others are a caller's
// fault, thrown as a JavaScript error with sa_study's message.
checked_fields checked_or_thrown(const val& fields) {
    checked_fields checked = check(fields);
    if (!checked.error.empty()) {
        val::global("Error").new_(checked.error).throw_();
    }
    return checked;
}

// The schedule as the page shows it: sa_study's error message, or its values and cost.
val check_schedule(const val& fields) {
    const checked_fields checked = check(fields);
    val result = val::object();
    result.set("error", checked.error);
    if (!checked.error.empty()) {
        return result;
    }
    const sa::study_case& study = checked.options.cases.front();
    const sa::schedule_params& schedule = study.schedule;
    result.set("seed", checked.options.seed);
    result.set("runs", static_cast<double>(checked.options.runs));
    result.set("t0", schedule.t0);
    result.set("alpha", schedule.alpha);
    result.set("tFinal", schedule.t_final);
    result.set("trials", schedule.trials_per_level);
    result.set("bits", study.bits);
    result.set("levels", static_cast<double>(sa::count_levels(schedule)));
    result.set("trialsPerRun", static_cast<double>(sa::trials_per_run(schedule)));
    result.set("description", sa::describe_case(study));
    return result;
}

// ---- The grid: f at every point, drawn one column at a time

// One grid kept at a time, as sa_study keeps it.
sa::grid_cache& grids() {
    static sa::grid_cache cache;
    return cache;
}

// The highest point of a hill.
int top_of(const sa::tabulated_space& space, const sa::peak_range& hill) {
    int top = hill.first;
    for (int d = hill.first; d <= hill.last; ++d) {
        if (space.value_at(d).unrounded() > space.value_at(top).unrounded()) {
            top = d;
        }
    }
    return top;
}

val point(const sa::tabulated_space& space, int d) {
    val marked = val::object();
    marked.set("d", d);
    marked.set("x", space.x_at(d));
    marked.set("value", space.value_at(d).rounded());
    return marked;
}

val hill(const sa::tabulated_space& space, const sa::peak_range& range) {
    val marked = point(space, top_of(space, range));
    marked.set("fromX", space.x_at(range.first));
    marked.set("toX", space.x_at(range.last));
    return marked;
}

// The least and greatest f in each of `columns` equal parts of the interval, the parts cut as
// sa_study cuts its histogram, and the grid's landmarks.
val landscape(int bits, int columns) {
    const sa::tabulated_grid& grid = grids().of(bits);
    const sa::encoding& enc = grid.space.grid_encoding();
    std::vector<float> low(static_cast<std::size_t>(columns), INFINITY);
    std::vector<float> high(static_cast<std::size_t>(columns), -INFINITY);
    for (int d = 0; d <= enc.d_max; ++d) {
        const auto column = static_cast<std::size_t>(sa::bin_of(grid.space.x_at(d), enc, columns));
        const float f = grid.space.value_at(d).rounded();
        low[column] = std::min(low[column], f);
        high[column] = std::max(high[column], f);
    }
    val result = val::object();
    result.set("bits", bits);
    result.set("low", val::array(low));
    result.set("high", val::array(high));
    result.set("optimum", point(grid.space, grid.landmarks.optimum_d));
    result.set("globalPeak", hill(grid.space, grid.landmarks.global_peak));
    if (grid.landmarks.second_peak.first >= 0) {
        result.set("secondPeak", hill(grid.space, grid.landmarks.second_peak));
    }
    return result;
}

// ---- A traced run: the CSV of sa_study --trace

std::string trace(const val& fields) {
    const checked_fields checked = checked_or_thrown(fields);
    std::string csv = sa::trace_csv_heading();
    sa::trace_run(
        checked.options.cases.front(), {checked.options.seed, 0, 1},
        [](const sa::trace_start& /*start*/) {},
        [&csv](const sa::level_summary& level) { csv += sa::trace_csv_row(level); });
    return csv;
}

// ---- A run stepped trial by trial: the run that sa_study --trace --seed S follows

sa::schedule_params schedule_of(const val& checked) {
    sa::schedule_params schedule{};
    schedule.t0 = checked["t0"].as<double>();
    schedule.alpha = checked["alpha"].as<double>();
    schedule.t_final = checked["tFinal"].as<double>();
    schedule.trials_per_level = checked["trials"].as<int>();
    return schedule;
}

class stepped_run {
  public:
    // `checked` is what check_schedule returned; it is taken as it is, so that a schedule whose
    // levels take long to count is counted once, away from the page.
    stepped_run(const val& checked, std::uint32_t seed)
        : enc_(sa::study_encoding(checked["bits"].as<int>())),
          schedule_(schedule_of(checked)),
          levels_(schedule_),
          engine_(seed),
          start_(sa::random_solution(enc_, engine_)),
          run_(enc_, start_),
          level_(levels_.begin()) {
        begin_level();
    }
    stepped_run(const stepped_run&) = delete;
    stepped_run& operator=(const stepped_run&) = delete;

    bool finished() const { return level_ == std::default_sentinel; }

    val start() const {
        val shown = val::object();
        shown.set("x", run_.start_x());
        shown.set("value", start_.fo);
        shown.set("f", f_at(sa::decode_bits(start_.bits)));
        return shown;
    }

    // The next trial, and the level it completes, if it does.
    val step() {
        if (finished()) {
            return val::null();
        }
        const double temperature = *level_;
        const float x_before = run_.current_x();
        const sa::trial_outcome trial = run_.trial(temperature, engine_);
        ++trials_done_;
        ++summary_.trials;
        if (trial.accepted) {
            ++(sa::improves(trial.delta) ? summary_.improving : summary_.worsening);
        }
        val shown = val::object();
        shown.set("trial", static_cast<double>(trials_done_));
        shown.set("level", static_cast<double>(summary_.level));
        shown.set("trialInLevel", summary_.trials);
        shown.set("temperature", temperature);
        shown.set("fromX", x_before);
        shown.set("position", trial.position);
        shown.set("candidateX", sa::x_at(trial.candidate_d, enc_));
        shown.set("candidateF", f_at(trial.candidate_d));
        shown.set("delta", trial.delta);
        shown.set("improves", sa::improves(trial.delta));
        // exp(delta / T) from the exponent the rule itself forms.
        shown.set("probability", sa::improves(trial.delta)
                                     ? 1.0
                                     : std::exp(sa::acceptance_exponent(trial.delta, temperature)));
        shown.set("r", trial.r ? val(*trial.r) : val::null());
        shown.set("accepted", trial.accepted);
        shown.set("x", run_.current_x());
        shown.set("f", f_at(sa::decode_bits(run_.current().bits)));
        shown.set("value", run_.current().fo);
        shown.set("bestX", run_.best_x());
        shown.set("bestF", f_at(sa::decode_bits(run_.best().bits)));
        shown.set("bestValue", run_.best().fo);
        if (summary_.trials == schedule_.trials_per_level) {
            shown.set("levelDone", end_level());
        }
        return shown;
    }

  private:
    float f_at(int d) const { return static_cast<float>(sa::objective(sa::x_at(d, enc_))); }

    void begin_level() {
        if (!finished()) {
            summary_ = {level_number_, *level_, 0, 0, 0, 0.0F, 0.0F, 0.0F};
        }
    }

    // The level's line as sa_study --trace writes it, and its row of the CSV.
    val end_level() {
        summary_.x = run_.current_x();
        summary_.fo = run_.current().fo;
        summary_.best_fo = run_.best().fo;
        val done = val::object();
        done.set("level", static_cast<double>(summary_.level));
        done.set("temperature", summary_.temperature);
        done.set("improving", summary_.improving);
        done.set("worsening", summary_.worsening);
        done.set("trials", summary_.trials);
        done.set("x", summary_.x);
        done.set("value", summary_.fo);
        done.set("bestValue", summary_.best_fo);
        done.set("csv", sa::trace_csv_row(summary_));
        ++level_;
        ++level_number_;
        begin_level();
        return done;
    }

    sa::encoding enc_;
    sa::schedule_params schedule_;
    sa::temperature_levels levels_;  // level_ points into it: never moved
    sa::random_engine engine_;
    sa::solution start_;
    sa::annealing_run run_;
    sa::temperature_levels::iterator level_;
    std::int64_t level_number_ = 0;
    std::int64_t trials_done_ = 0;
    sa::level_summary summary_{};
};

// ---- A study, run in chunks so that a worker can report between them

class study_job {
  public:
    explicit study_job(const val& fields) : study_job(checked_or_thrown(fields)) {}

    double seed() const { return seed_; }
    double trials_per_run() const {
        return static_cast<double>(sa::trials_per_run(study_.schedule));
    }
    double runs_done() const { return static_cast<double>(outcomes_.size()); }
    double runs() const { return static_cast<double>(runs_); }

    // Up to `count` more runs; `on_trials` is told now and then how many trials the chunk has
    // made. Returns the runs done in all.
    double run_chunk(double count, const val& on_trials) {
        const long done = static_cast<long>(outcomes_.size());
        const long chunk = std::min(static_cast<long>(count), runs_ - done);
        const std::vector<sa::run_outcome> ran = sa::study_runs(
            space_, study_, {seed_, static_cast<std::uint64_t>(done), chunk}, 1,
            [&on_trials](std::int64_t trials) { on_trials(static_cast<double>(trials)); });
        outcomes_.insert(outcomes_.end(), ran.begin(), ran.end());
        return runs_done();
    }

    // What the runs add up to: sa_study's CSV, and where the runs ended.
    val result(int bins) const {
        const sa::case_result summed{study_, landmarks_, sa::summarize(outcomes_, landmarks_)};
        val result = val::object();
        result.set("csv", sa::study_csv({summed}, {seed_, 0, true}));
        const std::vector<long> counts =
            sa::histogram_of_ends(outcomes_, space_.grid_encoding(), bins);
        std::vector<double> histogram(counts.begin(), counts.end());
        result.set("histogram", val::array(histogram));
        return result;
    }

  private:
    explicit study_job(const checked_fields& checked)
        : study_(checked.options.cases.front()),
          runs_(checked.options.runs),
          seed_(checked.options.seed),
          space_(sa::study_encoding(study_.bits)),
          landmarks_(sa::find_landmarks(space_)) {
        outcomes_.reserve(static_cast<std::size_t>(runs_));
    }

    sa::study_case study_;
    long runs_;
    std::uint32_t seed_;
    // Its own grid, tabulated for each study as sa_study tabulates it.
    sa::tabulated_space space_;
    sa::grid_landmarks landmarks_;
    std::vector<sa::run_outcome> outcomes_;
};

}  // namespace

EMSCRIPTEN_BINDINGS(sa_web) {
    emscripten::function("session", &session);
    emscripten::function("checkSchedule", &check_schedule);
    emscripten::function("landscape", &landscape);
    emscripten::function("trace", &trace);
    emscripten::function("traceCsvHeading", &sa::trace_csv_heading);
    emscripten::class_<stepped_run>("SteppedRun")
        .constructor<const val&, std::uint32_t>()
        .function("finished", &stepped_run::finished)
        .function("start", &stepped_run::start)
        .function("step", &stepped_run::step);
    emscripten::class_<study_job>("StudyJob")
        .constructor<const val&>()
        .function("seed", &study_job::seed)
        .function("runs", &study_job::runs)
        .function("trialsPerRun", &study_job::trials_per_run)
        .function("runsDone", &study_job::runs_done)
        .function("runChunk", &study_job::run_chunk)
        .function("result", &study_job::result);
}
