#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>

#include "annealing/lockstep.hpp"
#include "study/study.hpp"

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace sa {

namespace {

bool on_main_thread() {
#if defined(_OPENMP)
    return omp_get_thread_num() == 0;
#else
    return true;
#endif
}

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

random_engine engine_for_run(const run_range& runs, std::uint64_t i) {
    // The engine sa_demo seeds from the clock second seed + first + i.
    return random_engine(static_cast<std::uint32_t>(runs.seed + runs.first + i));
}

// Runs handed to a thread at a time: two lockstep groups, few enough to share out evenly.
constexpr long runs_per_task = 8;

// Choices 1 and 2 of the demo for runs first .. first + records.size() - 1: each draws a
// random solution from its own engine, then all anneal together. `group` is scratch space
// kept between calls, since each engine's state is five kilobytes.
void run_group(const search_space& space, const schedule_params& schedule, const run_range& runs,
               std::uint64_t first, std::span<run_record> records,
               std::vector<lockstep_run>& group) {
    const auto began = clock_type::now();
    group.clear();
    for (std::uint64_t i = 0; i < records.size(); ++i) {
        random_engine engine = engine_for_run(runs, first + i);
        const solution start = random_solution(space.grid(), engine);
        group.push_back({engine, decode_bits(start.bits), start.fo});
    }
    anneal_lockstep(space, schedule, group);
    // The runs share their time: each is charged an equal part of it.
    const double seconds = seconds_since(began) / static_cast<double>(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int best_d = group[i].best_d;
        records[i] = {best_d, space.x_at(best_d), group[i].best_fo, space.value_at(best_d).exact(),
                      seconds};
    }
}

}  // namespace

peak_range hill_around(const search_space& space, int d) {
    const int last = space.grid().d_max;
    const auto f = [&space](int point) { return space.value_at(point).exact(); };
    int top = d;
    while (top > 0 && f(top - 1) > f(top)) {
        --top;
    }
    while (top < last && f(top + 1) > f(top)) {
        ++top;
    }
    peak_range hill{top, top};
    while (hill.first > 0 && f(hill.first - 1) <= f(hill.first)) {
        --hill.first;
    }
    while (hill.last < last && f(hill.last + 1) <= f(hill.last)) {
        ++hill.last;
    }
    return hill;
}

grid_landmarks find_landmarks(const search_space& space) {
    const int d_max = space.grid().d_max;
    const auto highest_outside = [&space, d_max](const peak_range& excluded) {
        int best = -1;
        for (int d = 0; d <= d_max; ++d) {
            if (!excluded.contains(d) &&
                (best < 0 || space.value_at(d).exact() > space.value_at(best).exact())) {
                best = d;
            }
        }
        return best;
    };
    const int optimum = highest_outside({-1, -1});
    const peak_range global_peak = hill_around(space, optimum);
    const int second = highest_outside(global_peak);
    const peak_range second_peak = second < 0 ? peak_range{-1, -1} : hill_around(space, second);
    return {optimum, space.x_at(optimum), space.value_at(optimum).exact(), global_peak,
            second_peak};
}

std::vector<run_record> study_runs(const search_space& space, const study_case& study,
                                   const run_range& runs, [[maybe_unused]] int jobs,
                                   const progress_report& progress) {
    std::vector<run_record> records(static_cast<std::size_t>(runs.count));
    const long tasks = (runs.count + runs_per_task - 1) / runs_per_task;
    std::atomic<long> done = 0;
    // Every run has its own engine and its own slot, so the threads share nothing but the
    // count of runs done; the main thread reports it.
#pragma omp parallel num_threads(jobs)
    {
        std::vector<lockstep_run> group;
#pragma omp for schedule(dynamic)
        for (long task = 0; task < tasks; ++task) {
            const long first = task * runs_per_task;
            const long count = std::min(runs_per_task, runs.count - first);
            run_group(space, study.schedule, runs, static_cast<std::uint64_t>(first),
                      std::span(records).subspan(static_cast<std::size_t>(first),
                                                 static_cast<std::size_t>(count)),
                      group);
            const long finished = done += count;
            if (progress && on_main_thread()) {
                progress(finished);
            }
        }
    }
    return records;
}

traced_run trace_run(const search_space& space, const study_case& study, const run_range& runs) {
    random_engine engine = engine_for_run(runs, 0);
    traced_run trace{random_solution(space.grid(), engine), 0.0F, {}, {}};
    trace.start_x = space.x_at(decode_bits(trace.start.bits));
    solution cur = trace.start;
    trace.report = anneal(space, study.schedule, cur, engine,
                          [&trace](const level_summary& level) { trace.levels.push_back(level); });
    return trace;
}

}  // namespace sa
