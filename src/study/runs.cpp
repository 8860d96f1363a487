#include <algorithm>
#include <atomic>
#include <chrono>

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

// Choices 1 and 2 of the demo: a random solution, then one run from it.
run_record one_run(const search_space& space, const schedule_params& schedule,
                   random_engine engine) {
    const auto began = clock_type::now();
    solution cur = random_solution(space.grid(), engine);
    const run_report report = anneal(space, schedule, cur, engine);
    const int best_d = decode_bits(cur.bits);
    return {best_d, report.best_x, report.best_fo, space.value_at(best_d).exact(),
            seconds_since(began)};
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
    std::atomic<long> done = 0;
    // Every run has its own engine and its own slot, so the threads share nothing but the
    // count of runs done; the main thread reports it.
#pragma omp parallel for schedule(dynamic, 16) num_threads(jobs)
    for (long i = 0; i < runs.count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        records[slot] = one_run(space, study.schedule, engine_for_run(runs, slot));
        const long finished = ++done;
        if (progress && on_main_thread()) {
            progress(finished);
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
