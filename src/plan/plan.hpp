#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "request/request.hpp"
#include "study/study.hpp"

// A request planned: its lists expanded into cases within the caps, each case's schedule
// checked, with the temperatures chosen automatically where the request asks, from a sample of
// random single-flip moves. Computes only.

namespace sa {

// ---- Automatic temperatures, chosen from a sample of random single-flip moves

// The acceptances they are chosen for, unless a request says, are the request's:
// initial_acceptance and final_acceptance.

// Moves drawn for a sample.
inline constexpr int temperature_sample_moves = 10'000;

// A worsening move: the value it starts from and its change, both as a run rounds them.
struct worsening_move {
    float start_value;
    float change;  // below 0
};

// Moves drawn at random on a grid, each a uniformly drawn point and digit; only those that
// worsen the value are kept.
struct move_sample {
    int drawn;
    std::vector<worsening_move> worsening;
};

// `moves` random moves of f on the grid of `enc`, drawn from `engine`: a seeded engine makes
// the sample, and the temperatures chosen from it, reproducible.
move_sample sample_moves(const landscape& f, const encoding& enc, random_engine& engine,
                         int moves = temperature_sample_moves);

// The share of worsening moves that a run at `temperature` accepts, as Ben-Ameur (2004)
// estimates it from a sample of moves out of uniformly drawn points: each move's acceptance
// exp(change / T) weighted by exp(start value / T), the chance that a run in equilibrium at
// T stands where the move starts. 0 for a sample without a worsening move.
double estimated_acceptance(const move_sample& sample, double temperature);

// A temperature chosen from a sample, and what a report says of it.
struct chosen_temperature {
    double temperature;
    double acceptance;  // what the rule measures, reached on the sample at that temperature
    int iterations;     // of Ben-Ameur's iteration; 0 for the final T, which has a closed form
    int moves_drawn;
    int worsening_moves;
};

// T0 at which the estimated acceptance of worsening moves is `chi`, found by Ben-Ameur's
// iteration. None when the sample has no worsening move or chi is not in (0, 1).
std::optional<chosen_temperature> initial_temperature(const move_sample& sample,
                                                      double chi = initial_acceptance);

// The final T at which the smallest worsening of the sample is accepted with probability
// `chi`. None when the sample has no worsening move or chi is not in (0, 1).
std::optional<chosen_temperature> final_temperature(const move_sample& sample,
                                                    double chi = final_acceptance);

// The acceptances that T0 and the final T are to be chosen for, where they are.
struct temperature_wishes {
    std::optional<double> t0_chi;
    std::optional<double> t_final_chi;
};

// The temperatures chosen for f's grid of `bits` digits from one sample drawn from an engine
// seeded with `seed`. A choice asked for stays empty when the sample holds no worsening move.
struct automatic_temperatures {
    int bits;
    std::optional<chosen_temperature> t0;
    std::optional<chosen_temperature> t_final;
};
automatic_temperatures choose_temperatures(const landscape& f, std::uint32_t seed,
                                           const temperature_wishes& wishes, int bits);

// ---- A request planned: its cases, with the temperatures chosen for them

struct study_plan {
    std::vector<study_case> cases;  // bits outermost, then T0, final T, law, its parameter, trials
    std::vector<automatic_temperatures> automatic;  // for each grid, when asked for
};

// The number of schedules the lists make: not walked, so a mistyped list is refused at once.
double schedule_count(const study_request& request);

// Checks what the lists combine to within the caps, expands them into cases, each run's cost
// checked, with automatic temperatures chosen from a sample drawn with `seed`.
expected<study_plan> plan_study(const study_request& request, std::uint32_t seed,
                                const study_caps& caps = {});

// Whether the runs asked for stay within the run numbers whose seeds do not repeat.
std::optional<fault> run_range_fault(const study_request& request);

// The trials that `runs` runs of every case make in all.
std::int64_t planned_trials(const study_plan& plan, long runs);

// ---- A planned case handed back: a front end that checked it returns it as the request's own
// fields, never rebuilt from loose numbers

struct planned_case {
    study_case study;
    seed_range runs;
};

// "seed=1 runs=1000 first-run=0 t0=100 t-final=0.1 trials=8 bits=17 cooling=geometric
// alpha=0.97": each field by its option without dashes, every value to its last bit.
std::string case_text(const planned_case& planned);

// The case and runs such a line plans to, read and planned by the request's rules; none for a
// line of anything else, a value refused, or more than one case.
std::optional<planned_case> read_case_text(std::string_view text);

}  // namespace sa
