// Costs of the objective, of decoding, of one annealing run and of the exhaustive scan.
// The last line printed is the cost of one run relative to the 1817 objective evaluations
// that no run can avoid (one per trial, plus the starting solution).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

namespace {

constexpr int n = 17;
constexpr int d_max = 131071;
constexpr int unavoidable_evaluations = 1817;
// Walks the grid in a stride that visits every region of [-2, 2] in turn.
constexpr int grid_stride = 7919;

float grid_x(int d) {
    return static_cast<float>(decoded_to_x(d, d_max, -2.0F, 2.0F));
}

void objective_at_grid_points(benchmark::State& state) {
    int d = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(objective(grid_x(d)));
        d = (d + grid_stride) & d_max;
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
        const long double value = objective(grid_x(d));
        benchmark::DoNotOptimize(value);
        d = (d + grid_stride + static_cast<int>(value < 0.0L)) & d_max;
    }
}
BENCHMARK(objective_in_sequence);

void bits_to_x_of_random_vectors(benchmark::State& state) {
    srand48(1);
    std::array<std::array<std::int32_t, n>, 64> vectors{};
    for (auto& v : vectors) {
        fill_random_bits(v.data(), n);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bits_to_x(vectors[i].data(), d_max, n, -2.0F, 2.0F));
        i = (i + 1) % vectors.size();
    }
}
BENCHMARK(bits_to_x_of_random_vectors);

void annealing_run(benchmark::State& state) {
    std::srand(1);
    srand48(1);
    std::array<std::int32_t, n> start{};
    for (auto _ : state) {
        fill_random_bits(start.data(), n);
        auto fo = static_cast<float>(objective(grid_x(decode_bits(start.data(), n))));
        benchmark::DoNotOptimize(
            anneal(n, d_max, start.data(), fo, 0.97F, 100.0F, 0.1F, n / 2, -2.0F, 2.0F));
    }
}
BENCHMARK(annealing_run);

void exhaustive_scan(benchmark::State& state) {
    for (auto _ : state) {
        long double best = 0.0L;
        for (int d = 0; d <= d_max; ++d) {
            const long double value = objective(grid_x(d));
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
                seconds_[run.run_name.function_name] =
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

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    recording_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // A run evaluates its candidates one after another: each depends on whether the last
    // move was accepted. So the unavoidable cost is that of evaluations in sequence; the
    // cost of independent evaluations, which the processor overlaps, is printed beside it.
    const double run = reporter.seconds("annealing_run");
    const double independent = reporter.seconds("objective_at_grid_points");
    const double in_sequence = reporter.seconds("objective_in_sequence");
    if (run > 0.0 && independent > 0.0 && in_sequence > 0.0) {
        std::printf("annealing run / %d independent objective evaluations: %.3f\n",
                    unavoidable_evaluations, run / (unavoidable_evaluations * independent));
        std::printf("annealing run / %d objective evaluations in sequence: %.3f\n",
                    unavoidable_evaluations, run / (unavoidable_evaluations * in_sequence));
    }
    return 0;
}
