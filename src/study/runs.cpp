#include <algorithm>
#include <atomic>
#include <span>

#include "processor/processor.hpp"
#include "study/study.hpp"

namespace sa {

namespace {

// The clock second sa_demo seeds its engine from for run i.
std::uint32_t seed_for_run(const seed_range& runs, std::uint64_t i) {
    return static_cast<std::uint32_t>(runs.seed + runs.first + i);
}

random_engine engine_for_run(const seed_range& runs, std::uint64_t i) {
    return random_engine(seed_for_run(runs, i));
}

// Runs handed to a thread at a time: two lockstep groups, few enough to share out evenly.
constexpr long runs_per_task = 8;

// Choices 1 and 2 of the demo for runs first .. first + outcomes.size() - 1: each draws a
// random solution from its own engine, then all anneal together. `group` is scratch space
// kept between calls, since each engine's state is five kilobytes.
void run_group(const tabulated_space& space, const cooling_schedule& schedule,
               const seed_range& runs, std::uint64_t first, std::span<run_outcome> outcomes,
               std::vector<lockstep_run>& group, const trial_counter& count,
               const level_positions& observe) {
    const auto began = std::chrono::steady_clock::now();
    group.clear();
    for (std::uint64_t i = 0; i < outcomes.size(); ++i) {
        group.push_back({seed_for_run(runs, first + i)});
    }
    anneal_lockstep(space, schedule, group, count, observe);
    // The runs share their time: each is charged an equal part of it.
    const double seconds = seconds_since(began) / static_cast<double>(outcomes.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const int best_d = group[i].best_d;
        outcomes[i] = {best_d, space.x_at(best_d), group[i].best_fo,
                       space.value_at(best_d).unrounded(), seconds};
    }
}

}  // namespace

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<run_outcome> study_runs(const tabulated_space& space, const study_case& study,
                                    const seed_range& runs, [[maybe_unused]] int jobs,
                                    const progress_report& progress,
                                    const level_positions& observe) {
    std::vector<run_outcome> outcomes(static_cast<std::size_t>(runs.count));
    const long tasks = (runs.count + runs_per_task - 1) / runs_per_task;
    std::atomic<std::int64_t> trials_done = 0;
    // Every run has its own engine and its own slot, so the threads share nothing but the
    // count of trials made; the main thread reports it.
    const trial_counter count = [&trials_done, &progress](std::int64_t trials) {
        const std::int64_t done = trials_done += trials;
        if (progress && on_first_thread()) {
            progress(done);
        }
    };
#pragma omp parallel num_threads(jobs)
    {
        std::vector<lockstep_run> group;
#pragma omp for schedule(dynamic)
        for (long task = 0; task < tasks; ++task) {
            const long first = task * runs_per_task;
            const long runs_in_task = std::min(runs_per_task, runs.count - first);
            run_group(space, study.schedule, runs, static_cast<std::uint64_t>(first),
                      std::span(outcomes).subspan(static_cast<std::size_t>(first),
                                                  static_cast<std::size_t>(runs_in_task)),
                      group, count, observe);
        }
    }
    return outcomes;
}

plan_results run_plan(const std::vector<study_case>& cases, const seed_range& runs, int jobs,
                      grid_cache& grids, const progress_report& progress) {
    plan_results made;
    std::int64_t before = 0;
    for (const study_case& study : cases) {
        const tabulated_grid& grid = grids.of(study.landscape, study.bits);
        made.last_runs = study_runs(grid.space, study, runs, jobs, [&](std::int64_t done) {
            if (progress) {
                progress(before + done);
            }
        });
        before += trials_per_run(study.schedule) * runs.count;
        made.results.push_back({study, grid.landmarks, summarize(made.last_runs, grid.landmarks)});
    }
    return made;
}

run_report trace_run(const study_case& study, const seed_range& runs,
                     const std::function<void(const trace_start&)>& started,
                     const level_observer& observe) {
    const encoding enc = study.grid();
    random_engine engine = engine_for_run(runs, 0);
    solution cur = random_solution(study.landscape, enc, engine);
    started({cur, x_at(decode_bits(cur.bits), enc)});
    return anneal(study.landscape, enc, study.schedule, cur, engine, observe);
}

}  // namespace sa
