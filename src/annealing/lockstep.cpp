#include "annealing/lockstep.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

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

    // Keeps the draws from `next` on, moved to the front, and draws the rest anew; returns
    // where the kept ones now start.
    int refill(int next, random_engine& engine) {
        int kept = 0;
        for (int i = next; i < size; ++i) {
            draws_[static_cast<std::size_t>(kept++)] = draws_[static_cast<std::size_t>(i)];
        }
        for (int i = kept; i < size; ++i) {
            draws_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(engine());
        }
        return 0;
    }

  private:
    std::array<std::uint32_t, size> draws_{};
};

// One run's state between its trials.
struct lane {
    int next;         // its next draw in its buffer
    std::uint32_t d;  // decoded current solution
    float fo;         // its accumulated value
    std::uint32_t best_d;
    float best_fo;
};

// x % divisor for every 32-bit x, by two multiplications where the division would be the
// slowest step of a trial (Lemire, Kaser and Kurz, "Faster remainder by direct computation").
class remainder_by {
  public:
    explicit remainder_by(std::uint32_t divisor)
        : divisor_(divisor), inverse_(UINT64_MAX / divisor + 1) {}

    std::uint32_t of(std::uint32_t x) const {
        const std::uint64_t fraction = inverse_ * x;
        // The high half of the 96-bit product fraction * divisor.
        const std::uint64_t high = (fraction >> 32U) * divisor_;
        const std::uint64_t low = (fraction & 0xFFFF'FFFFU) * divisor_;
        return static_cast<std::uint32_t>((high + (low >> 32U)) >> 32U);
    }

  private:
    std::uint64_t divisor_;
    std::uint64_t inverse_;
};

// What every trial of one temperature level reads.
struct level_context {
    const split_value* values;
    const double* thresholds;
    remainder_by position;      // of a draw, among the n_bits digits
    std::uint32_t first_digit;  // the bit of d that digit 0 spells
    double temperature;
};

// Conditions that follow the draws are kept as 0 or 1 in an unsigned integer, combined with
// | and &, and acted on by masking: && and ?: may compile to branches, which the processor
// would mispredict about as often as a coin toss.
using flag = std::uint32_t;

flag flag_of(bool condition) {
    return static_cast<flag>(condition);
}

// One of two values by a flag, chosen through a mask of all ones (flag 1) or all zeros.
class choice {
  public:
    explicit choice(flag chosen) : mask_(0U - chosen) {}

    std::uint32_t pick(std::uint32_t if_set, std::uint32_t if_clear) const {
        return (if_set & mask_) | (if_clear & ~mask_);
    }
    float pick(float if_set, float if_clear) const {
        return std::bit_cast<float>(
            pick(std::bit_cast<std::uint32_t>(if_set), std::bit_cast<std::uint32_t>(if_clear)));
    }

  private:
    std::uint32_t mask_;
};

// A run forms the change in extended precision and rounds it to float; the shortcut forms
// it in double, within two units of its last place. The two round to the same float unless
// the double lies within a few units of a midpoint between floats (its 29 bits below a
// float's precision near 1000...0), or among the subnormal floats.
bool near_float_midpoint(double change) {
    constexpr std::uint32_t below_float = 0x1FFF'FFFFU;
    constexpr std::uint32_t midpoint = 0x1000'0000U;
    constexpr std::uint32_t margin = 8;
    const auto low_bits =
        static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(change)) & below_float;
    const bool near_midpoint = low_bits - (midpoint - margin) <= 2 * margin;
    return near_midpoint || std::fabs(change) < 0x1p-120;
}

// One trial of anneal() for one run: the same draws, candidate, change and decision.
inline void trial(const level_context& level, lane& run, draw_buffer& draws,
                  random_engine& engine) {
    if (run.next > draw_buffer::size - 2) [[unlikely]] {
        run.next = draws.refill(run.next, engine);
    }
    const std::uint32_t candidate =
        run.d ^ (level.first_digit >> level.position.of(draws[run.next]));
    const split_value& current = level.values[run.d];
    const float rounded = level.values[candidate].rounded();
    // The second draw counts only for a move that does not improve.
    const double threshold = level.thresholds[uniform_step_of(draws[run.next + 1])];

    const double change = (static_cast<double>(rounded) - current.high) - current.low;
    auto delta = static_cast<float>(change);
    if (near_float_midpoint(change)) [[unlikely]] {
        delta = rounded_change(rounded, current.exact());
    }
    const flag accepts_worse = flag_of(reaches_threshold(delta, level.temperature, threshold));

    const flag improving = flag_of(delta > 0.0F);
    const flag accepted = improving | accepts_worse;
    run.next += 2 - static_cast<int>(improving);
    const choice move(accepted);
    run.d = move.pick(candidate, run.d);
    // Rounding a sum of two floats to 64 bits and then to 24 gives what rounding it once to
    // 24 gives (64 >= 2 * 24 + 2), so this float sum is the run's extended one, rounded.
    run.fo = move.pick(run.fo + delta, run.fo);
    if ((improving & flag_of(run.fo > run.best_fo)) != 0) [[unlikely]] {
        run.best_d = run.d;
        run.best_fo = run.fo;
    }
}

template <std::size_t width>
void anneal_group(const search_space& space, const schedule_params& schedule,
                  std::span<lockstep_run, width> runs) {
    std::array<lane, width> lanes{};
    std::array<draw_buffer, width> draws;
    for (std::size_t i = 0; i < width; ++i) {
        const auto start = static_cast<std::uint32_t>(runs[i].start_d);
        lanes[i] = {draw_buffer::size, start, runs[i].start_fo, start, runs[i].start_fo};
    }
    const int n_bits = space.grid().n_bits;
    level_context level{space.values().data(), space.thresholds().data(),
                        remainder_by(static_cast<std::uint32_t>(n_bits)), 1U << (n_bits - 1), 0.0};
    for (double t = schedule.t0; t > schedule.t_final; t = cool(t, schedule.alpha)) {
        level.temperature = t;
        for (int trial_number = 0; trial_number < schedule.trials_per_level; ++trial_number) {
            // Spelled out for each run of the group, so that its state can stay in registers.
            [&]<std::size_t... i>(std::index_sequence<i...>) {
                (trial(level, lanes[i], draws[i], runs[i].engine), ...);
            }
            (std::make_index_sequence<width>{});
        }
    }
    for (std::size_t i = 0; i < width; ++i) {
        runs[i].best_d = static_cast<int>(lanes[i].best_d);
        runs[i].best_fo = lanes[i].best_fo;
    }
}

}  // namespace

void anneal_lockstep(const search_space& space, const schedule_params& schedule,
                     std::span<lockstep_run> runs) {
    if (space.values().empty()) {
        throw std::invalid_argument("anneal_lockstep needs a tabulated search space");
    }
    std::size_t i = 0;
    for (; i + group_width <= runs.size(); i += group_width) {
        anneal_group(space, schedule, runs.subspan(i).first<group_width>());
    }
    for (; i < runs.size(); ++i) {
        anneal_group(space, schedule, runs.subspan(i).first<1>());
    }
}

}  // namespace sa
