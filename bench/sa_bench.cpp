// Costs of the objective, of decoding, of whole annealing runs and of the exhaustive scan.
// The last lines compare a run with the objective evaluations it cannot avoid (one per trial,
// plus the start) and with a run written the literal way.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "annealing/annealing.hpp"
#include "batch/batch.hpp"
#include "objective/objective.hpp"
#include "reference_run.hpp"

namespace {

const sa::encoding demo_encoding = sa::encoding_for(sa::demo_problem);
const sa::cooling_schedule demo_schedule = sa::demo_schedule(demo_encoding);
const std::int64_t trials_per_run = sa::trials_per_run(demo_schedule);
// Walks the grid in a stride that visits every region of the interval in turn.
constexpr int grid_stride = 7919;

float grid_x(int d) {
    return sa::x_at(d, demo_encoding);
}

void objective_at_grid_points(benchmark::State& state) {
    int d = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sa::objective(grid_x(d)));
        d = (d + grid_stride) & demo_encoding.d_max;
    }
}
BENCHMARK(objective_at_grid_points);

// The same points, each chosen only once the previous value is known, as in a run, where
// the next candidate depends on whether the last move was accepted. The value feeds the
// next index through a term that is always 0 (the value is never negative), so the
// evaluations cannot overlap.
void objective_in_sequence(benchmark::State& state) {
    int d = 0;
    for (auto _ : state) {
        const long double value = sa::objective(grid_x(d));
        benchmark::DoNotOptimize(value);
        d = (d + grid_stride + static_cast<int>(value < 0.0L)) & demo_encoding.d_max;
    }
}
BENCHMARK(objective_in_sequence);

void bits_to_x_of_random_vectors(benchmark::State& state) {
    sa::random_engine engine(1);
    std::vector<sa::bit_vector> vectors;
    for (int i = 0; i < 64; ++i) {
        sa::bit_vector v(static_cast<std::size_t>(demo_encoding.n_bits));
        sa::fill_random_bits(v, engine);
        vectors.push_back(v);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sa::bits_to_x(vectors[i], demo_encoding));
        i = (i + 1) % vectors.size();
    }
}
BENCHMARK(bits_to_x_of_random_vectors);

// Runs from random starts, as menu options 1 and 2 make them; `run` is the annealing itself.
template <typename Run>
void runs_from_random_starts(benchmark::State& state, const Run& run) {
    sa::random_engine engine(1);
    for (auto _ : state) {
        sa::solution cur = sa::random_solution(sa::demo_landscape(), demo_encoding, engine);
        benchmark::DoNotOptimize(run(cur, engine));
    }
}

void annealing_run(benchmark::State& state) {
    runs_from_random_starts(state, [](sa::solution& cur, sa::random_engine& engine) {
        return sa::anneal(sa::demo_landscape(), demo_encoding, demo_schedule, cur, engine);
    });
}
BENCHMARK(annealing_run);

void literal_annealing_run(benchmark::State& state) {
    runs_from_random_starts(state, [](sa::solution& cur, sa::random_engine& engine) {
        return reference_run(demo_encoding, demo_schedule, cur, engine);
    });
}
BENCHMARK(literal_annealing_run);

// The demo's schedule with acceptance `rule`.
sa::cooling_schedule demo_schedule_with(const sa::acceptance& rule) {
    return *sa::cooling_schedule::make(demo_schedule.span(), demo_schedule.law(),
                                       demo_schedule.trials_per_level(), rule);
}

// A study's runs as it makes them: eight from random starts, annealed four at a time in
// lockstep, under acceptance `rule`. One iteration is one run.
void lockstep_annealing_runs(benchmark::State& state, const sa::acceptance& rule) {
    constexpr int group = 8;
    const sa::tabulated_space space(sa::demo_landscape(), demo_encoding);
    const sa::cooling_schedule schedule = demo_schedule_with(rule);
    std::vector<sa::lockstep_run> runs;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        if (runs.size() == group) {
            runs.clear();
        }
        runs.push_back({seed++});
        if (runs.size() == group) {
            sa::anneal_lockstep(space, schedule, runs);
            benchmark::DoNotOptimize(runs.front().best_fo);
        }
    }
}
BENCHMARK_CAPTURE(lockstep_annealing_runs, demo, sa::acceptance{sa::demo_acceptance{}});
BENCHMARK_CAPTURE(lockstep_annealing_runs, continuous, sa::acceptance{sa::continuous_acceptance{}});

// A grid tabulated on one thread, as a study prepares it: f at every point and the acceptance
// thresholds. One iteration is one whole grid of state.range(0) bits.
void tabulated_grid(benchmark::State& state) {
    const sa::encoding enc = sa::encoding_with(static_cast<int>(state.range(0)), -2.0F, 2.0F);
    for (auto _ : state) {
        const sa::tabulated_space space(sa::demo_landscape(), enc);
        benchmark::DoNotOptimize(space.value_at(0).rest);
    }
}
BENCHMARK(tabulated_grid)->Arg(17)->Arg(24)->Unit(benchmark::kMillisecond);

void exhaustive_scan(benchmark::State& state) {
    for (auto _ : state) {
        long double best = 0.0L;
        for (int d = 0; d <= demo_encoding.d_max; ++d) {
            const long double value = sa::objective(grid_x(d));
            best = value > best ? value : best;
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(exhaustive_scan)->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of every benchmark it prints: the median of the
// repetitions where there are several, since this machine's speed wanders.
class recording_reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((single || median) && !run.error_occurred) {
                seconds_[run.run_name.function_name +
                         (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? 0.0 : found->second;
    }

  private:
    std::map<std::string, double> seconds_;
};

void print_ratios(const recording_reporter& reporter) {
    // A run evaluates its candidates one after another: each depends on whether the last
    // move was accepted. So the unavoidable cost is that of evaluations in sequence.
    const double evaluations = static_cast<double>(trials_per_run + 1);
    const double run = reporter.seconds("annealing_run");
    const double literal = reporter.seconds("literal_annealing_run");
    const double in_sequence = reporter.seconds("objective_in_sequence");
    const double lockstep = reporter.seconds("lockstep_annealing_runs/demo");
    const double continuous = reporter.seconds("lockstep_annealing_runs/continuous");
    if (run > 0.0 && literal > 0.0) {
        std::printf("annealing run / literal annealing run: %.3f\n", run / literal);
    }
    if (lockstep > 0.0) {
        std::printf("lockstep annealing runs, per trial: %.2f ns\n",
                    lockstep / static_cast<double>(trials_per_run) * 1e9);
    }
    if (lockstep > 0.0 && continuous > 0.0) {
        std::printf("continuous acceptance's extra cost, per trial: %.2f ns\n",
                    (continuous - lockstep) / static_cast<double>(trials_per_run) * 1e9);
    }
    for (const int bits : {17, 24}) {
        const double grid = reporter.seconds("tabulated_grid/" + std::to_string(bits));
        if (grid > 0.0) {
            std::printf("tabulated grid of %d bits, per point: %.2f ns\n", bits,
                        grid / std::ldexp(1.0, bits) * 1e9);
        }
    }
    if (run > 0.0 && in_sequence > 0.0) {
        std::printf("annealing run / %.0f objective evaluations in sequence: %.3f\n", evaluations,
                    run / (evaluations * in_sequence));
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    recording_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_ratios(reporter);
    return 0;
}
