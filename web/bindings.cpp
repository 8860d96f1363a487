// The libraries as the page sees them, through embind: sa_demo's session, a schedule checked
// by the request's own rules, a run stepped trial by trial, a study run in chunks, a sweep, many
// runs followed level by level against the equilibrium, and the grid they run on. Every number
// the page shows, and every fault it finds in a value, comes from here; the page only draws
// and puts faults into words.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "merge/merge.hpp"
#include "page.hpp"
#include "study_output/study_output.hpp"

namespace {

using emscripten::val;

// ---- sa_demo's session

// What a session may print for the page to hold: more than a console pane ever shows, and far
// less than the memory the page may take.
constexpr std::size_t session_output_cap = std::size_t{1} << 24U;

// A session's output, kept in memory up to the cap. A write past it fails, and the session
// ends as it ends on any failed write.
struct capped_output {
    std::string text;
    bool overflowed = false;
};

ssize_t write_capped(void* cookie, const char* data, std::size_t size) {
    auto& output = *static_cast<capped_output*>(cookie);
    if (output.text.size() + size > session_output_cap) {
        output.overflowed = true;
        return -1;
    }
    output.text.append(data, size);
    return static_cast<ssize_t>(size);
}

// Where a session's complaints go: nowhere, since the page says what went wrong itself.
ssize_t write_nowhere(void* /*cookie*/, const char* /*data*/, std::size_t size) {
    return static_cast<ssize_t>(size);
}

// What a session prints for that clock second and that standard input, and whether it ended
// for want of more input, where sa_demo at a terminal would wait, rather than at choice 0.
// `overflow` instead, with the cap, when it printed more than the page holds.
val session(std::uint32_t second, std::string input) {
    capped_output output;
    std::FILE* in = fmemopen(input.data(), input.size(), "r");
    std::FILE* out = fopencookie(&output, "w", {nullptr, write_capped, nullptr, nullptr});
    std::FILE* err = fopencookie(nullptr, "w", {nullptr, write_nowhere, nullptr, nullptr});
    val result = val::object();
    if (in == nullptr || out == nullptr || err == nullptr) {
        result.set("error", std::string("no memory for the session's streams"));
        return result;
    }
    result.set("status", sa::run_program(second, {in, out, err}));
    result.set("awaitingInput", std::feof(in) != 0);
    for (std::FILE* stream : {in, out, err}) {
        std::fclose(stream);
    }
    if (output.overflowed) {
        result.set("overflow", static_cast<double>(session_output_cap));
    } else {
        result.set("text", output.text);
    }
    return result;
}

// ---- The schedule, checked by the rules that sa_study's command line checks it by

// A refused value as the page's script takes it, to put into words.
val fault_object(const sa::fault& refused) {
    val shown = val::object();
    shown.set("kind", std::string(sa::name_of(refused.kind)));
    shown.set("field",
              refused.field ? val(std::string(sa::names_of(*refused.field).param)) : val::null());
    shown.set("value", refused.value);
    shown.set("shown", refused.shown);
    shown.set("limit", refused.limit);
    // Only a formula's fault lies at a place within its value.
    if (refused.kind == sa::fault_kind::bad_formula) {
        shown.set("position", static_cast<double>(refused.position));
    }
    return shown;
}

val refusal(const sa::fault& refused) {
    val result = val::object();
    result.set("fault", fault_object(refused));
    return result;
}

// How the fields write numbers: {decimalPoint, listSeparator}, each one character, as the
// interface has checked.
sa::number_style style_of(const val& style) {
    return {style["decimalPoint"].as<std::string>().front(),
            style["listSeparator"].as<std::string>().front()};
}

// A request read from the page's fields and planned, and its seed: the clock second unless
// one is given.
struct planned_request {
    sa::study_request request;
    sa::study_plan plan;
    std::uint32_t seed;
};

// The page's fields, each as typed, read as sa_study reads its options: an empty one stands for
// the default, as an option left out does.
sa::expected<sa::study_request> read_fields(const val& fields, const val& style) {
    sa::study_request request;
    for (const sa::field_names& names : sa::study_fields) {
        const val value = fields[names.param];
        if (value.isString() && !value.as<std::string>().empty()) {
            if (std::optional<sa::fault> wrong = sa::read_field(
                    names.field, value.as<std::string>(), request, style_of(style))) {
                return *wrong;
            }
        }
    }
    return request;
}

// A request planned as sa_study plans its options, within the page's caps.
sa::expected<planned_request> plan_request(const sa::study_request& request,
                                           const sa::study_caps& caps) {
    const std::uint32_t seed =
        request.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    sa::expected<sa::study_plan> plan = sa::plan_study(request, seed, caps);
    if (!plan) {
        return plan.error();
    }
    if (std::optional<sa::fault> wrong = sa::run_range_fault(request)) {
        return *wrong;
    }
    return planned_request{request, std::move(*plan), seed};
}

sa::expected<planned_request> plan_fields(const val& fields, const val& style,
                                          const sa::study_caps& caps) {
    const sa::expected<sa::study_request> request = read_fields(fields, style);
    return request ? plan_request(*request, caps) : request.error();
}

// Sets a field's value under its name in the page's interface.
template <typename T>
void set_field(val& result, sa::study_field field, T value) {
    result.set(sa::names_of(field).param, value);
}

// The runs the request asks for.
sa::seed_range runs_of(const planned_request& checked) {
    return {checked.seed, checked.request.first_run, checked.request.runs};
}

// The plan of a single schedule as the page hands it back to run it: the case and its runs as
// the request's own fields.
std::string plan_text(const planned_request& checked) {
    return sa::case_text({checked.plan.cases.front(), runs_of(checked)});
}

val plan_of(const planned_request& checked) {
    val result = val::object();
    result.set("plan", plan_text(checked));
    return result;
}

// The fields planned as one schedule, without the figures that check_schedule counts: what a
// study or a population runs; and in `parts`, the plans of its runs split for `workers`
// workers, at most one a run.
val plan_schedule(const val& fields, const val& style, int workers) {
    const sa::expected<planned_request> checked = plan_fields(fields, style, sa::page::single_caps);
    if (!checked) {
        return refusal(checked.error());
    }
    val result = plan_of(*checked);
    val parts = val::array();
    for (const sa::seed_range& part : sa::split_runs(runs_of(*checked), workers)) {
        parts.call<void>("push", sa::case_text({checked->plan.cases.front(), part}));
    }
    result.set("parts", parts);
    return result;
}

// The fields planned as one run, whatever `runs` says: a trace, which makes that run's trials
// alone, and a landscape, which makes none.
sa::expected<planned_request> plan_one_run(const val& fields, const val& style) {
    sa::expected<sa::study_request> request = read_fields(fields, style);
    if (!request) {
        return request.error();
    }
    request->runs = 1;
    return plan_request(*request, sa::page::single_caps);
}

val plan_trace(const val& fields, const val& style) {
    const sa::expected<planned_request> checked = plan_one_run(fields, style);
    return checked ? plan_of(*checked) : refusal(checked.error());
}

// The schedule as the page shows it: why it is refused, or its values and cost, and the plan
// itself in `plan`, which the page hands back to run it. Its levels are walked once, which takes
// seconds for 10^9 of them.
val check_schedule(const val& fields, const val& style) {
    const sa::expected<planned_request> checked = plan_fields(fields, style, sa::page::single_caps);
    if (!checked) {
        return refusal(checked.error());
    }
    const sa::study_case& study = checked->plan.cases.front();
    const sa::cooling_schedule& schedule = study.schedule;
    const std::int64_t level_count = sa::count_levels(schedule);
    val result = val::object();
    using enum sa::study_field;
    set_field(result, seed, checked->seed);
    set_field(result, runs, static_cast<double>(checked->request.runs));
    set_field(result, t0, schedule.t0());
    set_field(result, alpha, sa::alpha_of(schedule.law()));
    set_field(result, t_final, schedule.t_final());
    set_field(result, trials, schedule.trials_per_level());
    set_field(result, bits, study.bits);
    set_field(result, acceptance, std::string(sa::spelling_of(schedule.acceptance()).name));
    const sa::problem_params& interval = study.landscape.problem();
    set_field(result, landscape, study.landscape.name());
    set_field(result, x_min, static_cast<double>(interval.x_min));
    set_field(result, x_max, static_cast<double>(interval.x_max));
    result.set("levels", static_cast<double>(level_count));
    result.set("trialsPerRun", static_cast<double>(level_count * schedule.trials_per_level()));
    result.set("description", sa::describe_case(study));
    result.set("plan", plan_text(*checked));
    return result;
}

// One field's text as a link brings it, by that field's own rules, and as one value where the
// field takes one (`one_value`), as the schedule's fields do. The values together are the
// fields' to check.
val check_value(const std::string& param, const std::string& text, const val& style,
                bool one_value) {
    const std::optional<sa::study_field> field = sa::field_of_param(param);
    if (!field) {
        val::global("TypeError").new_(std::string("no field is named ") + param).throw_();
    }
    sa::study_request request;
    if (std::optional<sa::fault> wrong = sa::read_field(*field, text, request, style_of(style))) {
        return refusal(*wrong);
    }
    const double schedules = sa::schedule_count(request);
    if (one_value && schedules > static_cast<double>(sa::page::single_caps.schedules)) {
        return refusal({sa::fault_kind::too_many_schedules, field, text,
                        sa::format("%.0f", schedules),
                        sa::with_thousands(sa::page::single_caps.schedules)});
    }
    return val::object();
}

// The fields of a sweep planned, as sa.sweep would run them: its schedules, or why it is
// refused.
val check_sweep(const val& fields, const val& style) {
    const sa::expected<planned_request> swept = plan_fields(fields, style, sa::page::sweep_caps);
    if (!swept) {
        return refusal(swept.error());
    }
    val result = val::object();
    result.set("schedules", static_cast<double>(swept->plan.cases.size()));
    return result;
}

// The fields of a sweep split by its runs for `workers` workers, at most one a run: each part
// the same fields with its own first run and count, and the seed fixed, so that no part takes
// another clock second. Refused as check_sweep refuses the fields.
val split_sweep(const val& fields, const val& style, int workers) {
    const sa::expected<planned_request> swept = plan_fields(fields, style, sa::page::sweep_caps);
    if (!swept) {
        return refusal(swept.error());
    }
    val parts = val::array();
    for (const sa::seed_range& part : sa::split_runs(runs_of(*swept), workers)) {
        val part_fields = val::global("Object").call<val>("assign", val::object(), fields);
        using enum sa::study_field;
        part_fields.set(sa::names_of(seed).param, std::to_string(part.seed));
        part_fields.set(sa::names_of(first_run).param, std::to_string(part.first));
        part_fields.set(sa::names_of(runs).param, std::to_string(part.count));
        parts.call<void>("push", part_fields);
    }
    val result = val::object();
    result.set("parts", parts);
    return result;
}

// The case and runs that check_schedule planned, from the plan it handed the page; a plan the
// page did not have from there is an error of the page's script.
sa::planned_case planned(const val& checked) {
    const val plan = checked["plan"];
    std::optional<sa::planned_case> read;
    if (plan.isString()) {
        read = sa::read_case_text(plan.as<std::string>());
    }
    if (!read) {
        val::global("TypeError")
            .new_(std::string("not a schedule that sa.check returned"))
            .throw_();
    }
    return *read;
}

// ---- The grid: f at every point, drawn one column at a time

// What a long job has done, for the page to show: {done_name: done, total_name: total}.
val progress_of(const char* done_name, double done, const char* total_name, double total) {
    val progress = val::object();
    progress.set(done_name, done);
    progress.set(total_name, total);
    return progress;
}

// One grid kept at a time, as sa_study keeps it.
sa::grid_cache& grids() {
    static sa::grid_cache cache;
    return cache;
}

val point(const sa::tabulated_space& space, int d) {
    val marked = val::object();
    marked.set("d", d);
    marked.set("x", space.x_at(d));
    marked.set("value", space.value_at(d).rounded());
    return marked;
}

// The grid points of a hill, from one end to the other.
void set_range(val& marked, const sa::tabulated_space& space, const sa::peak_range& range) {
    marked.set("fromX", space.x_at(range.first));
    marked.set("toX", space.x_at(range.last));
}

// A hill as the grid has it: its highest point and its range.
val grid_hill(const sa::tabulated_space& space, const sa::peak_range& range) {
    val marked = point(space, space.highest_in(range.first, range.last));
    set_range(marked, space, range);
    return marked;
}

// Every hill of f, highest first: where f peaks, and the grid's range of it where the grid has
// points on it.
val every_hill(const sa::tabulated_space& space) {
    val hills = val::array();
    for (const sa::hill& each : sa::hills_of(space)) {
        val marked = val::object();
        marked.set("x", each.top_x);
        marked.set("value", each.top_value);
        if (each.range.first >= 0) {
            set_range(marked, space, each.range);
        }
        hills.call<void>("push", marked);
    }
    return hills;
}

// The least and greatest f in each of `columns` equal parts of the interval, the parts cut as
// sa_study cuts its histogram, and the grid's landmarks, for the landscape and bits that the
// fields name; refused as a study of them would be. `on_progress` is told now and then the
// points tabulated so far, when the grid is new.
val landscape(const val& fields, const val& style, int columns, const val& on_progress) {
    const sa::expected<planned_request> checked = plan_one_run(fields, style);
    if (!checked) {
        return refusal(checked.error());
    }
    const sa::study_case& study = checked->plan.cases.front();
    const sa::landscape& f = study.landscape;
    const int bits = study.bits;
    const auto points = static_cast<double>(f.grid(bits).d_max) + 1.0;
    double done = 0.0;
    const sa::tabulated_grid& grid = grids().of(f, bits, [&](std::int64_t tabulated) {
        done += static_cast<double>(tabulated);
        on_progress(progress_of("pointsDone", done, "points", points));
    });
    const sa::encoding& enc = grid.space.grid_encoding();
    std::vector<float> low(static_cast<std::size_t>(columns), INFINITY);
    std::vector<float> high(static_cast<std::size_t>(columns), -INFINITY);
    for (int d = 0; d <= enc.d_max; ++d) {
        const auto column = static_cast<std::size_t>(sa::bin_of(grid.space.x_at(d), enc, columns));
        const float value = grid.space.value_at(d).rounded();
        low[column] = std::min(low[column], value);
        high[column] = std::max(high[column], value);
    }
    val result = val::object();
    result.set("bits", bits);
    result.set("landscape", f.name());
    result.set("xMin", static_cast<double>(enc.x_min));
    result.set("xMax", static_cast<double>(enc.x_max));
    result.set("low", val::array(low));
    result.set("high", val::array(high));
    result.set("optimum", point(grid.space, grid.landmarks.optimum_d));
    for (const auto& [name, range] : {std::pair{"globalPeak", grid.landmarks.global_peak},
                                      std::pair{"secondPeak", grid.landmarks.second_peak}}) {
        if (range.first >= 0) {
            result.set(name, grid_hill(grid.space, range));
        }
    }
    result.set("hills", every_hill(grid.space));
    return result;
}

// ---- A traced run: the CSV of sa_study --trace

std::string trace(const val& checked) {
    std::string csv = sa::trace_csv_heading();
    const sa::planned_case traced = planned(checked);
    sa::trace_run(
        traced.study, traced.runs, [](const sa::trace_start& /*start*/) {},
        [&csv](const sa::level_summary& level) { csv += sa::trace_csv_row(level); });
    return csv;
}

// ---- A run stepped trial by trial: the run that sa_study --trace --seed S follows

// A solution's digits, v[0] first, as sa_demo lists them.
val digits_of(const sa::bit_vector& bits) {
    return val::array(bits.begin(), bits.end());
}

class stepped_run {
  public:
    // `checked` is what check_schedule returned: the run of its seed.
    explicit stepped_run(const val& checked) : stepped_run(planned(checked)) {}

    bool finished() const { return run_.finished(); }

    val start() const {
        val shown = val::object();
        shown.set("x", run_.state().start_x());
        shown.set("value", start_.fo);
        shown.set("f", f_at(sa::decode_bits(start_.bits)));
        shown.set("digits", digits_of(start_.bits));
        return shown;
    }

    // The next trial, and the level it completes, if it does.
    val step() {
        if (finished()) {
            return val::null();
        }
        const sa::annealing_run& state = run_.state();
        const float x_before = state.current_x();
        const sa::trial_step made = run_.trial(engine_);
        const sa::trial_outcome& trial = made.outcome;
        const double temperature = made.level.temperature;
        val shown = val::object();
        shown.set("trial", static_cast<double>(run_.trials_made()));
        shown.set("level", static_cast<double>(made.level.level));
        shown.set("trialInLevel", made.level.trials);
        shown.set("temperature", temperature);
        shown.set("steered", made.level.steered);
        shown.set("fromX", x_before);
        shown.set("position", trial.position);
        shown.set("candidateX", sa::x_at(trial.candidate_d, enc_));
        shown.set("candidateF", f_at(trial.candidate_d));
        shown.set("delta", trial.delta);
        shown.set("improves", sa::improves(trial.delta));
        // exp(delta / T) as the run's rule itself forms it.
        shown.set("probability", sa::improves(trial.delta)
                                     ? 1.0
                                     : sa::acceptance_probability(study_.schedule.acceptance(),
                                                                  trial.delta, temperature));
        shown.set("r", trial.r ? val(*trial.r) : val::null());
        shown.set("accepted", trial.accepted);
        shown.set("x", state.current_x());
        shown.set("f", f_at(sa::decode_bits(state.current().bits)));
        shown.set("digits", digits_of(state.current().bits));
        shown.set("value", state.current().fo);
        shown.set("bestX", state.best_x());
        shown.set("bestF", f_at(sa::decode_bits(state.best().bits)));
        shown.set("bestValue", state.best().fo);
        if (made.closed_level) {
            shown.set("levelDone", level_shown(made.level));
        }
        return shown;
    }

    // Runs the levels from the next one on at a T set by hand, typed in the page's number style
    // or given as a number; null gives them back to the schedule. {temperature} as held, {}
    // when released, or the refusal.
    val steer(const val& temperature, const val& style) {
        std::optional<double> held;
        if (temperature.isString()) {
            const sa::expected<double> read =
                sa::read_one_real(temperature.as<std::string>(), style_of(style));
            if (!read) {
                return refusal(read.error());
            }
            held = *read;
        } else if (!temperature.isNull()) {
            held = temperature.as<double>();
        }
        if (std::optional<sa::fault> wrong = run_.steer(held)) {
            return refusal(*wrong);
        }
        val result = val::object();
        if (held) {
            result.set("temperature", *held);
        }
        return result;
    }

    // The schedule's T for the level the run is at, whatever T it runs at.
    double scheduled_temperature() const { return run_.scheduled_temperature(); }

    // The chance that the run's rule takes a move of each change in `deltas` at T.
    val chances(const val& deltas, double temperature) const {
        val shown = val::array();
        const auto count = deltas["length"].as<unsigned>();
        for (unsigned k = 0; k < count; ++k) {
            const auto delta = static_cast<float>(deltas[k].as<double>());
            shown.call<void>(
                "push", sa::acceptance_chance(study_.schedule.acceptance(), delta, temperature));
        }
        return shown;
    }

    // The points one flip of the current solution reaches, digit by digit: v[0] first.
    val neighbours() const {
        const int d = sa::decode_bits(run_.state().current().bits);
        val shown = val::array();
        for (int position = 0; position < enc_.n_bits; ++position) {
            const int reached = sa::decoded_after_flip(d, enc_.n_bits, position);
            val neighbour = val::object();
            neighbour.set("position", position);
            neighbour.set("x", sa::x_at(reached, enc_));
            neighbour.set("f", f_at(reached));
            shown.call<void>("push", neighbour);
        }
        return shown;
    }

  private:
    explicit stepped_run(const sa::planned_case& run)
        : study_(run.study),
          enc_(study_.grid()),
          engine_(static_cast<std::uint32_t>(run.runs.seed + run.runs.first)),
          start_(sa::random_solution(study_.landscape, enc_, engine_)),
          run_(study_.landscape, enc_, study_.schedule, start_) {}

    float f_at(int d) const {
        return static_cast<float>(study_.landscape.value(sa::x_at(d, enc_)));
    }

    // A closed level's line as sa_study --trace writes it, and its row of the CSV.
    static val level_shown(const sa::level_summary& level) {
        val done = val::object();
        done.set("level", static_cast<double>(level.level));
        done.set("temperature", level.temperature);
        done.set("improving", level.improving);
        done.set("worsening", level.worsening);
        done.set("worseTried", level.worse_tried());
        done.set("trials", level.trials);
        done.set("x", level.x);
        done.set("value", level.fo);
        done.set("bestValue", level.best_fo);
        done.set("steered", level.steered);
        done.set("csv", sa::trace_csv_row(level));
        return done;
    }

    sa::study_case study_;
    sa::encoding enc_;
    sa::random_engine engine_;
    sa::solution start_;
    sa::scheduled_run run_;
};

// ---- A study, run in chunks so that a worker can report between them

class study_job {
  public:
    // `checked` is what check_schedule returned.
    explicit study_job(const val& checked) : study_job(planned(checked)) {}

    double seed() const { return static_cast<double>(runs_.seed); }
    double trials_per_run() const {
        return static_cast<double>(sa::trials_per_run(study_.schedule));
    }
    double runs_done() const { return static_cast<double>(outcomes_.size()); }
    double runs() const { return static_cast<double>(runs_.count); }

    // Up to `count` more runs; `on_trials` is told now and then how many trials the chunk has
    // made. Returns the runs done in all.
    double run_chunk(double count, const val& on_trials) {
        const long done = static_cast<long>(outcomes_.size());
        const long chunk = std::min(static_cast<long>(count), runs_.count - done);
        const std::vector<sa::run_outcome> ran = sa::study_runs(
            space_, study_, {runs_.seed, runs_.first + static_cast<std::uint64_t>(done), chunk}, 1,
            [&on_trials](std::int64_t trials) { on_trials(static_cast<double>(trials)); });
        outcomes_.insert(outcomes_.end(), ran.begin(), ran.end());
        return runs_done();
    }

    // What the runs add up to: sa_study's CSV, and where the runs ended, in `bins` parts of
    // the interval.
    val result(int bins) const {
        const sa::case_result summed{study_, landmarks_, sa::summarize(outcomes_, landmarks_)};
        val result = val::object();
        result.set("csv", sa::study_csv({summed}, {static_cast<std::uint32_t>(runs_.seed),
                                                   runs_.first, true}));
        const std::vector<long> counts =
            sa::histogram_of_ends(outcomes_, space_.grid_encoding(), bins);
        result.set("histogram", val::array(std::vector<double>(counts.begin(), counts.end())));
        result.set("hills", hills_reached());
        return result;
    }

    // Every hill of f, highest first: where f peaks, the grid points of its basin, where a run
    // starts as often as anywhere, and the runs whose best point lies there. The basins cut
    // the grid into parts, so that the runs add up to all of them.
    val hills_reached() const {
        const std::vector<sa::hill> hills = sa::hills_of(space_);
        const std::vector<long> reached = sa::runs_on_each_hill(outcomes_, hills);
        val shown = val::array();
        for (std::size_t i = 0; i < hills.size(); ++i) {
            const sa::peak_range& basin = hills[i].basin;
            val hill = val::object();
            hill.set("x", hills[i].top_x);
            hill.set("points", basin.first >= 0 ? basin.last - basin.first + 1 : 0);
            hill.set("runs", static_cast<double>(reached[i]));
            shown.call<void>("push", hill);
        }
        return shown;
    }

  private:
    explicit study_job(const sa::planned_case& job)
        : study_(job.study),
          runs_(job.runs),
          space_(study_.landscape, study_.grid()),
          landmarks_(sa::find_landmarks(space_)) {
        outcomes_.reserve(static_cast<std::size_t>(runs_.count));
    }

    sa::study_case study_;
    sa::seed_range runs_;
    // Its own grid, tabulated for each study as sa_study tabulates it.
    sa::tabulated_space space_;
    sa::grid_landmarks landmarks_;
    std::vector<sa::run_outcome> outcomes_;
};

// ---- A sweep of schedules: the CSV of sa_study --csv for the same options

// `on_trials` is told now and then the trials made so far and those planned.
val sweep(const val& fields, const val& style, const val& on_trials) {
    const sa::expected<planned_request> swept = plan_fields(fields, style, sa::page::sweep_caps);
    if (!swept) {
        return refusal(swept.error());
    }
    const sa::seed_range runs = runs_of(*swept);
    const auto trials = static_cast<double>(sa::planned_trials(swept->plan, runs.count));
    on_trials(0.0, trials);
    sa::grid_cache sweep_grids;
    const sa::plan_results made =
        sa::run_plan(swept->plan.cases, runs, 1, sweep_grids,
                     [&](std::int64_t done) { on_trials(static_cast<double>(done), trials); });
    val result = val::object();
    result.set("csv", sa::study_csv(made.results, {swept->seed, runs.first, true}));
    return result;
}

// ---- Parts of a study or a sweep, run by the page's workers, added up as sa_study merge adds
// up parts run on several machines

// The parts' CSVs read back, in the order of their runs, which must follow on from one another;
// a study of one part is that part. What goes wrong is an error of the page's scripts, since the
// parts are the page's own.
std::vector<sa::case_result> whole_of(const val& csvs, sa::study_origin& origin) {
    const auto fail = [](const std::string& why) {
        val::global("Error").new_("the workers' parts do not add up: " + why).throw_();
    };
    std::vector<sa::study_part> parts;
    for (unsigned i = 0; i < csvs["length"].as<unsigned>(); ++i) {
        sa::expected<std::vector<sa::study_csv_row>, sa::csv_fault> rows =
            sa::read_study_csv(csvs[i].as<std::string>());
        if (!rows) {
            fail(rows.error().words);
        }
        parts.push_back({"part " + std::to_string(i + 1), std::move(*rows)});
    }
    if (parts.empty()) {
        fail("there are none");
    }
    origin = parts.front().rows.front().origin;
    if (parts.size() == 1) {
        std::vector<sa::case_result> results;
        for (const sa::study_csv_row& row : parts.front().rows) {
            results.push_back(row.result);
        }
        return results;
    }
    origin.medians_measured = false;
    if (std::optional<std::string> why =
            sa::uncovered_runs(parts, parts.front().first(), parts.back().last())) {
        fail(*why);
    }
    sa::study_sum sum;
    for (const sa::study_part& part : parts) {
        if (std::optional<std::string> why = sum.add(part)) {
            fail(*why);
        }
    }
    return sum.results();
}

// The sweep the parts add up to: its CSV, and which of its rows has the least TTS99, the first
// of equals (null when no run found the optimum).
val merge_sweep(const val& csvs) {
    sa::study_origin origin{};
    const std::vector<sa::case_result> results = whole_of(csvs, origin);
    val result = val::object();
    result.set("csv", sa::study_csv(results, origin));
    const std::optional<std::size_t> least = sa::least_time_to_solution(
        results, sa::success_measure::exact_optimum, sa::tts_target, sa::tts_unit::trials);
    result.set("least", least ? val(static_cast<double>(*least)) : val::null());
    return result;
}

// Counts by bin or by hill added up over the parts, `of` each.
val added_counts(const val& parts, const char* of, const char* count = nullptr) {
    val sum = parts[0][of];
    for (unsigned i = 1; i < parts["length"].as<unsigned>(); ++i) {
        const val added = parts[i][of];
        for (unsigned j = 0; j < sum["length"].as<unsigned>(); ++j) {
            if (count == nullptr) {
                sum.set(j, sum[j].as<double>() + added[j].as<double>());
            } else {
                sum[j].set(count, sum[j][count].as<double>() + added[j][count].as<double>());
            }
        }
    }
    return sum;
}

// The study that StudyJob's results of its parts add up to, in the same form.
val merge_study(const val& parts) {
    val csvs = val::array();
    for (unsigned i = 0; i < parts["length"].as<unsigned>(); ++i) {
        csvs.call<void>("push", parts[i]["csv"]);
    }
    sa::study_origin origin{};
    const std::vector<sa::case_result> results = whole_of(csvs, origin);
    val result = val::object();
    result.set("csv", sa::study_csv(results, origin));
    result.set("histogram", added_counts(parts, "histogram"));
    result.set("hills", added_counts(parts, "hills", "runs"));
    return result;
}

// ---- Many runs followed level by level against the equilibrium: the CSV of sa_study
// --population, and each level's runs and mass in `bins` parts of the interval

template <typename T>
val arrays(const std::vector<sa::population_level>& levels,
           const std::vector<T> sa::population_level::*of) {
    val rows = val::array();
    for (const sa::population_level& level : levels) {
        const std::vector<T>& values = level.*of;
        rows.call<void>("push", val::array(std::vector<double>(values.begin(), values.end())));
    }
    return rows;
}

// What the page shows of a population: the CSV of sa_study --population, and each level's
// runs and the equilibrium's mass by bin.
val population_result(const sa::population_study& followed) {
    val result = val::object();
    result.set("csv", sa::population_csv(followed));
    result.set("histogram", arrays(followed.levels, &sa::population_level::bin_runs));
    result.set("boltzmann", arrays(followed.levels, &sa::population_level::bin_mass));
    return result;
}

// A share of the population that `checked` plans, the `share`th of `shares`
// (split_population's), as a worker runs it: for every level, the runs of the share by hill and
// by bin, and for its own levels the equilibrium's mass, each as a flat array, level after
// level. `on_progress` is told now and then the share's runs done, then its levels whose
// equilibrium is found.
val population_part(const val& checked, int bins, int share, int shares, const val& on_progress) {
    const sa::planned_case followed_case = planned(checked);
    const sa::study_case& study = followed_case.study;
    if (std::optional<sa::fault> wrong = sa::population_fault(study)) {
        return refusal(*wrong);
    }
    const sa::population_share mine =
        sa::split_population(study, followed_case.runs, shares).at(static_cast<std::size_t>(share));
    const auto trials_per_run = static_cast<double>(sa::trials_per_run(study.schedule));
    const auto runs = static_cast<double>(mine.runs.count);
    const auto levels = static_cast<double>(mine.levels.count);
    on_progress(progress_of("runsDone", 0.0, "runs", runs));
    const sa::population_part found = sa::study_population_share(
        grids().of(study.landscape, study.bits).space, study, bins, mine, 1,
        {[&](std::int64_t trials) {
             on_progress(progress_of("runsDone", static_cast<double>(trials) / trials_per_run,
                                     "runs", runs));
         },
         [&](std::int64_t levels_done) {
             on_progress(
                 progress_of("levelsDone", static_cast<double>(levels_done), "levels", levels));
         }});
    on_progress(progress_of("levelsDone", levels, "levels", levels));
    std::vector<double> temperatures;
    std::vector<double> hill_runs;
    std::vector<double> bin_runs;
    std::vector<double> hill_mass;
    std::vector<double> bin_mass;
    for (const sa::population_level& level : found.levels) {
        temperatures.push_back(level.temperature);
        hill_runs.insert(hill_runs.end(), level.hill_runs.begin(), level.hill_runs.end());
        bin_runs.insert(bin_runs.end(), level.bin_runs.begin(), level.bin_runs.end());
        hill_mass.insert(hill_mass.end(), level.hill_mass.begin(), level.hill_mass.end());
        bin_mass.insert(bin_mass.end(), level.bin_mass.begin(), level.bin_mass.end());
    }
    const auto copied = [](const std::vector<double>& values) {
        return val(emscripten::typed_memory_view(values.size(), values.data())).call<val>("slice");
    };
    val part = val::object();
    part.set("firstLevel", static_cast<double>(mine.levels.first));
    part.set("levelCount", levels);
    part.set("temperatures", copied(temperatures));
    part.set("hillRuns", copied(hill_runs));
    part.set("binRuns", copied(bin_runs));
    part.set("hillMass", copied(hill_mass));
    part.set("binMass", copied(bin_mass));
    return part;
}

// Row `index` of a flat array of rows `width` long.
template <typename T>
std::vector<T> row(const std::vector<double>& flat, std::size_t index, std::size_t width) {
    const std::span<const double> values = std::span(flat).subspan(index * width, width);
    return std::vector<T>(values.begin(), values.end());
}

// The population that the parts of every share add up to, as population_part gave them, in the
// order of their shares, shown as the page shows one.
val merge_population(const val& checked, int bins, const val& parts) {
    const sa::planned_case followed_case = planned(checked);
    const sa::study_case& study = followed_case.study;
    const sa::tabulated_space& space = grids().of(study.landscape, study.bits).space;
    std::vector<sa::hill> hills = sa::hills_of(space);
    const std::size_t hill_count = hills.size();
    const auto bin_count = static_cast<std::size_t>(bins);
    std::vector<sa::population_part> found;
    for (unsigned i = 0; i < parts["length"].as<unsigned>(); ++i) {
        const val& part = parts[i];
        const auto numbers = [&part](const char* name) {
            return emscripten::convertJSArrayToNumberVector<double>(part[name]);
        };
        const std::vector<double> temperatures = numbers("temperatures");
        const std::vector<double> hill_runs = numbers("hillRuns");
        const std::vector<double> bin_runs = numbers("binRuns");
        const std::vector<double> hill_mass = numbers("hillMass");
        const std::vector<double> bin_mass = numbers("binMass");
        const auto first = static_cast<std::int64_t>(part["firstLevel"].as<double>());
        const auto count = static_cast<std::int64_t>(part["levelCount"].as<double>());
        sa::population_part& added = found.emplace_back();
        for (std::size_t at = 0; at < temperatures.size(); ++at) {
            const auto l = static_cast<std::int64_t>(at);
            sa::population_level& level = added.levels.emplace_back();
            level.level = l;
            level.temperature = temperatures[at];
            level.hill_runs = row<long>(hill_runs, at, hill_count);
            level.bin_runs = row<long>(bin_runs, at, bin_count);
            if (l >= first && l < first + count) {
                const auto own = static_cast<std::size_t>(l - first);
                level.hill_mass = row<double>(hill_mass, own, hill_count);
                level.bin_mass = row<double>(bin_mass, own, bin_count);
            }
        }
    }
    return population_result(
        sa::whole_population(study, followed_case.runs.count, std::move(hills), found));
}

}  // namespace

EMSCRIPTEN_BINDINGS(sa_web) {
    emscripten::function("session", &session);
    emscripten::function("checkSchedule", &check_schedule);
    emscripten::function("planSchedule", &plan_schedule);
    emscripten::function("planTrace", &plan_trace);
    emscripten::function("checkValue", &check_value);
    emscripten::function("checkSweep", &check_sweep);
    emscripten::function("landscape", &landscape);
    emscripten::function("trace", &trace);
    emscripten::function("traceCsvHeading", &sa::trace_csv_heading);
    emscripten::function("splitSweep", &split_sweep);
    emscripten::function("sweep", &sweep);
    emscripten::function("mergeSweep", &merge_sweep);
    emscripten::function("mergeStudy", &merge_study);
    emscripten::function("populationPart", &population_part);
    emscripten::function("mergePopulation", &merge_population);
    emscripten::class_<stepped_run>("SteppedRun")
        .constructor<const val&>()
        .function("finished", &stepped_run::finished)
        .function("start", &stepped_run::start)
        .function("step", &stepped_run::step)
        .function("steer", &stepped_run::steer)
        .function("scheduledTemperature", &stepped_run::scheduled_temperature)
        .function("chances", &stepped_run::chances)
        .function("neighbours", &stepped_run::neighbours);
    emscripten::class_<study_job>("StudyJob")
        .constructor<const val&>()
        .function("seed", &study_job::seed)
        .function("runs", &study_job::runs)
        .function("trialsPerRun", &study_job::trials_per_run)
        .function("runsDone", &study_job::runs_done)
        .function("runChunk", &study_job::run_chunk)
        .function("result", &study_job::result);
}
