#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "batch/batch.hpp"

namespace sa {

namespace {

// Runs advanced together on one thread: enough to overlap one run's table reads and
// arithmetic with the others'. More only lengthens each step through them.
constexpr std::size_t group_width = 4;

// A run's draws, taken from its engine ahead of use. A trial takes one draw or two,
// depending on its candidate, so the next trial finds its first draw by index instead of
// calling the engine behind a branch on the last one's outcome.
class draw_buffer {
  public:
    static constexpr int size = 512;

    std::uint32_t operator[](int i) const { return draws_[static_cast<std::size_t>(i)]; }

    // Keeps the draws from `next` on, moved to the front, and draws the rest anew.
    void refill(int next, random_engine& engine) {
        int kept = 0;
        for (int i = next; i < size; ++i) {
            draws_[static_cast<std::size_t>(kept++)] = draws_[static_cast<std::size_t>(i)];
        }
        for (int i = kept; i < size; ++i) {
            draws_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(engine());
        }
    }

  private:
    std::array<std::uint32_t, size> draws_{};
};

// One run's state between its trials.
struct lockstep_state {
    int next;  // index of its next draw in its buffer
    int d;     // decoded current solution
    float fo;  // its accumulated value
    int best_d;
    float best_fo;
};

// What every trial of one temperature level reads.
struct level_context {
    const tabulated_space* space;
    remainder_by position;  // of a draw, among the n_bits digits
    int n_bits;
    double temperature;
};

// Conditions that follow the draws are kept as 0 or 1 in an unsigned integer, combined with
// | and &, and acted on by masking: && and ?: may compile to branches, which the processor
// would mispredict about as often as a coin toss.
using flag = std::uint32_t;

flag flag_of(bool condition) {
    return static_cast<flag>(condition);
}

// if_set when the flag is 1, if_clear when it is 0, through a mask rather than a branch.
template <typename T>
requires(sizeof(T) == sizeof(std::uint32_t)) T masked_select(flag chosen, T if_set, T if_clear) {
    const std::uint32_t mask = 0U - chosen;
    return std::bit_cast<T>((std::bit_cast<std::uint32_t>(if_set) & mask) |
                            (std::bit_cast<std::uint32_t>(if_clear) & ~mask));
}

// One trial of anneal() for one run: the same draws, candidate, change and decision.
inline void trial(const level_context& level, lockstep_state& run, draw_buffer& draws,
                  random_engine& engine) {
    if (run.next > draw_buffer::size - 2) [[unlikely]] {
        draws.refill(run.next, engine);
        run.next = 0;
    }
    const int candidate =
        decoded_after_flip(run.d, level.n_bits, level.position.of(draws[run.next]));
    const float delta =
        tabulated_change(level.space->value_at(candidate).rounded(), level.space->value_at(run.d));
    // The second draw counts only for a move that does not improve.
    const acceptance_threshold& threshold =
        level.space->threshold(uniform_point_of(draws[run.next + 1]));
    const flag worse_accepted = flag_of(reaches_threshold(delta, level.temperature, threshold));

    const flag improving = flag_of(improves(delta));
    const flag accepted = improving | worse_accepted;
    run.next += 2 - static_cast<int>(improving);
    run.d = masked_select(accepted, candidate, run.d);
    run.fo = masked_select(accepted, float_sum(run.fo, delta), run.fo);
    if ((improving & flag_of(run.fo > run.best_fo)) != 0) [[unlikely]] {
        run.best_d = run.d;
        run.best_fo = run.fo;
    }
}

// Trials between two counts: a few milliseconds of work, far more than a count costs.
constexpr std::int64_t trials_between_counts = 1 << 18;

// The current solutions of a group, told as a level ends; copied out, so that the states
// themselves can stay in registers.
template <std::size_t width>
void tell_positions(const level_positions& observe, std::int64_t level,
                    const std::array<lockstep_state, width>& states) {
    std::array<int, width> current{};
    for (std::size_t i = 0; i < width; ++i) {
        current[i] = states[i].d;
    }
    observe(level, current);
}

template <std::size_t width>
void anneal_group(const tabulated_space& space, const schedule_params& schedule,
                  std::span<lockstep_run, width> runs, const trial_counter& count,
                  const level_positions& observe) {
    std::array<lockstep_state, width> states{};
    std::array<draw_buffer, width> draws;
    for (std::size_t i = 0; i < width; ++i) {
        // An empty buffer: the first trial fills it.
        states[i] = {draw_buffer::size, runs[i].start_d, runs[i].start_fo, runs[i].start_d,
                     runs[i].start_fo};
    }
    const int n_bits = space.grid_encoding().n_bits;
    level_context level{&space, remainder_by(static_cast<std::uint32_t>(n_bits)), n_bits, 0.0};
    const auto trials_per_level =
        static_cast<std::int64_t>(schedule.trials_per_level) * static_cast<std::int64_t>(width);
    std::int64_t uncounted = 0;
    std::int64_t level_number = 0;
    for (const double temperature : levels_of(schedule)) {
        level.temperature = temperature;
        for (int trial_number = 0; trial_number < schedule.trials_per_level; ++trial_number) {
            // Spelled out for each run of the group, so that its state can stay in registers.
            [&]<std::size_t... i>(std::index_sequence<i...>) {
                (trial(level, states[i], draws[i], runs[i].engine), ...);
            }
            (std::make_index_sequence<width>{});
        }
        if (observe) {
            tell_positions(observe, level_number, states);
        }
        ++level_number;
        uncounted += trials_per_level;
        if (count && uncounted >= trials_between_counts) [[unlikely]] {
            count(uncounted);
            uncounted = 0;
        }
    }
    for (std::size_t i = 0; i < width; ++i) {
        runs[i].best_d = states[i].best_d;
        runs[i].best_fo = states[i].best_fo;
    }
    if (count && uncounted > 0) {
        count(uncounted);
    }
}

}  // namespace

float tabulated_change(float f_new, const split_value& f_old) {
    const double change = (static_cast<double>(f_new) - f_old.high) - f_old.low;
    // The double lies within one unit of its last place of the exact change, and a float
    // midpoint has zeros in all the double's bits below the float's, so the two can round to
    // different floats only when the double lies exactly on a midpoint, or among the
    // subnormal floats.
    constexpr std::uint64_t below_float = 0x1FFF'FFFFU;
    constexpr std::uint64_t midpoint = 0x1000'0000U;
    const bool on_midpoint = (std::bit_cast<std::uint64_t>(change) & below_float) == midpoint;
    if (on_midpoint || std::fabs(change) < 0x1p-120) [[unlikely]] {
        return rounded_change(f_new, f_old.unrounded());
    }
    return static_cast<float>(change);
}

lockstep_run lockstep_run::from_random_start(const encoding& enc, const random_engine& engine) {
    lockstep_run run{engine, 0, 0.0F};
    const solution start = random_solution(enc, run.engine);
    run.start_d = decode_bits(start.bits);
    run.start_fo = start.fo;
    return run;
}

void anneal_lockstep(const tabulated_space& space, const schedule_params& schedule,
                     std::span<lockstep_run> runs, const trial_counter& count,
                     const level_positions& observe) {
    std::size_t i = 0;
    for (; i + group_width <= runs.size(); i += group_width) {
        anneal_group(space, schedule, runs.subspan(i).first<group_width>(), count, observe);
    }
    for (; i < runs.size(); ++i) {
        anneal_group(space, schedule, runs.subspan(i).first<1>(), count, observe);
    }
}

}  // namespace sa
