#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "batch/batch.hpp"
#include "processor/processor.hpp"

namespace sa {

namespace {

// Runs advanced together on one thread: on a table the caches hold, enough to overlap one
// run's table reads and arithmetic with the others'; more only lengthens each step through them.
constexpr std::size_t group_width = 4;

// The standard's recurrence for std::mt19937 (Matsumoto and Nishimura), written as whole-state
// passes.
void renewal_passes(std::array<std::uint32_t, twister::block_size>& s,
                    std::span<std::uint32_t, twister::block_size> out) {
    constexpr std::size_t size = twister::block_size;
    constexpr std::size_t shift = 397;
    constexpr std::uint32_t upper = 0x8000'0000U;
    constexpr std::uint32_t matrix = 0x9908'B0DFU;
    // Word i from words i, i + 1 and i + 397 of the state, the last two renewed already where
    // they wrap round: three passes without a wrap inside, each free to go many words at once.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the words in the standard's order
    const auto renewed = [](std::uint32_t word, std::uint32_t next, std::uint32_t far) {
        const std::uint32_t joined = (word & upper) | (next & ~upper);
        return far ^ (joined >> 1U) ^ ((0U - (joined & 1U)) & matrix);
    };
    for (std::size_t i = 0; i < size - shift; ++i) {
        s[i] = renewed(s[i], s[i + 1], s[i + shift]);
    }
    for (std::size_t i = size - shift; i < size - 1; ++i) {
        s[i] = renewed(s[i], s[i + 1], s[i + shift - size]);
    }
    s[size - 1] = renewed(s[size - 1], s[0], s[shift - 1]);
    for (std::size_t i = 0; i < size; ++i) {
        std::uint32_t y = s[i];
        y ^= y >> 11U;
        y ^= (y << 7U) & 0x9D2C'5680U;
        y ^= (y << 15U) & 0xEFC6'0000U;
        out[i] = y ^ (y >> 18U);
    }
}

// The passes eight words at a time where the processor has AVX2, four elsewhere.
void renew_and_temper(std::array<std::uint32_t, twister::block_size>& s,
                      std::span<std::uint32_t, twister::block_size> out) {
    with_widest_vectors([&](auto /*lanes*/) { renewal_passes(s, out); });
}

// A run's draws, taken from its engine a block at a time. A trial takes one draw or two,
// depending on its candidate, so the next trial finds its first draw by index instead of
// calling the engine behind a branch on the last one's outcome.
class draw_buffer {
  public:
    // The most draws a trial may leave of a block: those of an acceptance rule.
    static constexpr int spare = 2;
    // A block, and room for those left of the last.
    static constexpr int size = static_cast<int>(twister::block_size) + spare;

    explicit draw_buffer(const twister& engine) : engine_(engine) {}

    std::uint32_t operator[](int i) const { return draws_[static_cast<std::size_t>(i)]; }
    const std::uint32_t* from(int i) const { return &draws_[static_cast<std::size_t>(i)]; }

    // The engine's next block at the end, after the draws from `next` on, at most `spare`; the
    // index of the first. Out of line, as every path the trials rarely take: in WebAssembly a
    // function with all of them inlined is compiled far worse.
    [[gnu::noinline]] int refill(int next) {
        const int first = next - static_cast<int>(twister::block_size);
        std::copy(draws_.begin() + next, draws_.begin() + size, draws_.begin() + first);
        engine_.next_block(std::span(draws_).subspan<spare, twister::block_size>());
        return first;
    }

  private:
    twister engine_;
    // One more, never drawn, that a look ahead may read.
    std::array<std::uint32_t, size + 1> draws_{};
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

// The flag as a value the optimiser cannot trace back to its comparison. clang would otherwise
// rebuild a mask into a select, and a combined flag into one branch per condition, and compile
// both as branches (natively and for WebAssembly alike); g++ keeps them as written.
flag opaque(flag value) {
#if defined(__clang__)
    asm("" : "+r"(value));
#endif
    return value;
}

// if_set when the flag is 1, if_clear when it is 0, through a mask rather than a branch.
template <typename T>
requires(sizeof(T) == sizeof(std::uint32_t)) T masked_select(flag chosen, T if_set, T if_clear) {
    const std::uint32_t mask = opaque(0U - chosen);
    return std::bit_cast<T>((std::bit_cast<std::uint32_t>(if_set) & mask) |
                            (std::bit_cast<std::uint32_t>(if_clear) & ~mask));
}

// Whether a move that does not improve is taken, from the draws after its position's: the
// demo's rule by its tabulated threshold, Metropolis's by exp itself.
inline bool worse_taken(demo_acceptance /*rule*/, const level_context& level, float delta,
                        const std::uint32_t* drawn) {
    return reaches_threshold(delta, level.temperature,
                             level.space->threshold(uniform_point_of(drawn[0])));
}

inline bool worse_taken(continuous_acceptance /*rule*/, const level_context& level, float delta,
                        const std::uint32_t* drawn) {
    return continuous_acceptance::accepts(delta, level.temperature,
                                          continuous_acceptance::r_of(drawn));
}

// One trial of anneal() for one run: the same draws, candidate, change and decision.
// Inlined even where the compiler would not (clang for WebAssembly): as a call, a run's state
// would go through memory at every trial.
template <bool far_table, typename rule>
[[gnu::always_inline]] inline void trial(const level_context& level, lockstep_state& run,
                                         draw_buffer& draws,
                                         std::bool_constant<far_table> /*fetch_ahead*/,
                                         rule accepting) {
    // Its position's draw, and the rule's after it.
    if (run.next > draw_buffer::size - 1 - rule::draws) [[unlikely]] {
        run.next = draws.refill(run.next);
    }
    const int candidate =
        decoded_after_flip(run.d, level.n_bits, level.position.of(draws[run.next]));
    if constexpr (far_table) {
        // The next trial's candidate is one of four, from this solution or the candidate, by
        // the digit of the next draw or of the one after the rule's: their rounded values are
        // fetched while this trial decides, since a table too large for the caches would
        // otherwise stall it; and the rest of this candidate's value, which the next trial
        // reads if it is accepted.
        const int by_next = level.position.of(draws[run.next + 1]);
        const int by_one_after = level.position.of(draws[run.next + 1 + rule::draws]);
        level.space->prefetch_rounded(decoded_after_flip(run.d, level.n_bits, by_next));
        level.space->prefetch_rounded(decoded_after_flip(run.d, level.n_bits, by_one_after));
        level.space->prefetch_rounded(decoded_after_flip(candidate, level.n_bits, by_next));
        level.space->prefetch_rounded(decoded_after_flip(candidate, level.n_bits, by_one_after));
        level.space->prefetch_rest(candidate);
    }
    const float delta =
        tabulated_change(level.space->value_at(candidate).rounded(), level.space->value_at(run.d));
    // The rule's draws count only for a move that does not improve.
    const flag worse_accepted =
        flag_of(worse_taken(accepting, level, delta, draws.from(run.next + 1)));

    const flag improving = flag_of(improves(delta));
    const flag accepted = improving | worse_accepted;
    run.next += 1 + rule::draws * static_cast<int>(1U - improving);
    run.d = masked_select(accepted, candidate, run.d);
    run.fo = masked_select(accepted, float_sum(run.fo, delta), run.fo);
    if (opaque(improving & flag_of(run.fo > run.best_fo)) != 0) [[unlikely]] {
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

template <std::size_t width, bool far_table, typename rule>
[[gnu::noinline]] void anneal_group(const tabulated_space& space, const cooling_schedule& schedule,
                                    std::span<lockstep_run, width> runs, const trial_counter& count,
                                    const level_positions& observe) {
    const int n_bits = space.grid_encoding().n_bits;
    std::array<lockstep_state, width> states{};
    auto draws = [&runs]<std::size_t... i>(std::index_sequence<i...>) {
        const std::array<twister, width> engines = twister::seeded<width>({runs[i].seed...});
        return std::array<draw_buffer, width>{draw_buffer(engines[i])...};
    }
    (std::make_index_sequence<width>{});
    for (std::size_t i = 0; i < width; ++i) {
        // Choice 1: n_bits random digits, the first the most significant, as random_solution
        // draws them.
        const int first = draws[i].refill(draw_buffer::size);
        int start = 0;
        for (int digit = 0; digit < n_bits; ++digit) {
            start = 2 * start + int_of_draw(draws[i][first + digit], 2);
        }
        const int next = first + n_bits;
        runs[i].start_d = start;
        runs[i].start_fo = space.rounded_at(start);
        states[i] = {next, start, runs[i].start_fo, start, runs[i].start_fo};
    }
    level_context level{&space, remainder_by(static_cast<std::uint32_t>(n_bits)), n_bits, 0.0};
    const auto trials_per_level =
        static_cast<std::int64_t>(schedule.trials_per_level()) * static_cast<std::int64_t>(width);
    std::int64_t uncounted = 0;
    std::int64_t level_number = 0;
    for (const double temperature : levels_of(schedule)) {
        level.temperature = temperature;
        for (int trial_number = 0; trial_number < schedule.trials_per_level(); ++trial_number) {
            // Spelled out for each run of the group, so that its state can stay in registers.
            [&]<std::size_t... i>(std::index_sequence<i...>) {
                (trial(level, states[i], draws[i], std::bool_constant<far_table>{}, rule{}), ...);
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

template <bool far_table, typename rule>
void anneal_all(const tabulated_space& space, const cooling_schedule& schedule,
                std::span<lockstep_run> runs, const trial_counter& count,
                const level_positions& observe) {
    // On a table too large for the caches, twice as many runs go together, so that twice as
    // many of their fetches are on their way at once.
    constexpr std::size_t width = far_table ? 2 * group_width : group_width;
    std::size_t i = 0;
    for (; i + width <= runs.size(); i += width) {
        anneal_group<width, far_table, rule>(space, schedule, runs.subspan(i).first<width>(), count,
                                             observe);
    }
    for (; i < runs.size(); ++i) {
        anneal_group<1, far_table, rule>(space, schedule, runs.subspan(i).first<1>(), count,
                                         observe);
    }
}

[[gnu::noinline]] float change_in_extended(float f_new, const split_value& f_old) {
    return rounded_change(f_new, f_old.unrounded());
}

// The rule for worse moves at the least accepted exponent: accepts_worse without exp.
bool exponent_reaches(float delta, double temperature, double least) {
    return acceptance_exponent(delta, temperature) >= least;
}

#if LDBL_MANT_DIG != 64
// The same, compiled apart: where long double is done in software, a call keeps its code out
// of the trials.
[[gnu::noinline]] bool exponent_reaches_apart(float delta, double temperature, double least) {
    return exponent_reaches(delta, temperature, least);
}
#endif

}  // namespace

bool reaches_threshold(float delta, double temperature, const acceptance_threshold& threshold) {
#if LDBL_MANT_DIG != 64
    if (const std::optional<bool> decided = quotient_decides(delta, temperature, threshold)) {
        return *decided;
    }
    return exponent_reaches_apart(delta, temperature, threshold.least);
#else
    return exponent_reaches(delta, temperature, threshold.least);
#endif
}

float tabulated_change(float f_new, const split_value& f_old) {
    // Two floats near each other differ exactly in double, so one rounding makes this double.
    const double change =
        (static_cast<double>(f_new) - static_cast<double>(f_old.single)) - f_old.rest;
    // The double lies within one unit of its last place of the exact change, and a float
    // midpoint has zeros in all the double's bits below the float's, so the two can round to
    // different floats only when the double lies exactly on a midpoint, or among the
    // subnormal floats.
    constexpr std::uint64_t below_float = 0x1FFF'FFFFU;
    constexpr std::uint64_t midpoint = 0x1000'0000U;
    const bool on_midpoint = (std::bit_cast<std::uint64_t>(change) & below_float) == midpoint;
    if (on_midpoint || std::fabs(change) < 0x1p-120) [[unlikely]] {
        return change_in_extended(f_new, f_old);
    }
    return static_cast<float>(change);
}

void twister::next_block(std::span<std::uint32_t, block_size> out) {
    renew_and_temper(state_, out);
}

void anneal_lockstep(const tabulated_space& space, const cooling_schedule& schedule,
                     std::span<lockstep_run> runs, const trial_counter& count,
                     const level_positions& observe) {
    // Past 2^20 points the table outgrows the second-level cache.
    const bool far_table = space.grid_encoding().n_bits > 20;
    std::visit(
        [&](auto rule) {
            using rule_type = decltype(rule);
            if (far_table) {
                anneal_all<true, rule_type>(space, schedule, runs, count, observe);
            } else {
                anneal_all<false, rule_type>(space, schedule, runs, count, observe);
            }
        },
        schedule.acceptance());
}

}  // namespace sa
