#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "landmarks/landmarks.hpp"
#include "study/study.hpp"
#include "vocabulary/vocabulary.hpp"

// Many runs cooling together, against Boltzmann's distribution of the grid at each level's
// temperature, exp(f(d) / T) normalised. Under continuous acceptance it is the equilibrium of
// the very chain the runs follow (a move flips a digit drawn at random, as likely as the move
// back, and a worse one is taken with probability exp(delta / T) to within 2^-53; exactly so
// while every move's exp(delta / T) is 2^-53 or more, on the demo's grid above T 0.035, and
// colder the rarest moves come once in 2^53 tries, sooner than they should but later than any
// run sees): slow cooling keeps the runs
// close to it as it sharpens onto the global peak, and a quench leaves them frozen on lower
// hills. Under the demo's acceptance it is only the textbook equilibrium: the demo's r takes
// 10,000 values, 0 among them, so that its runs keep off it at low temperature.
// Computes only.

namespace sa {

// What a population may cost: a level's equilibrium takes a pass over the grid, and each level
// keeps the counts of every bin and hill.
inline constexpr std::int64_t max_population_levels = 10'000;
inline constexpr double max_population_points = 1e9;  // levels times grid points

// Where the runs stand as one level ends, and the equilibrium at its temperature, by f's hills
// (in the order of hills_of, each counting the points of its basin) and by bins of x.
struct population_level {
    std::int64_t level;
    double temperature;
    std::vector<long> hill_runs;    // runs whose current point lies in each hill's basin
    std::vector<double> hill_mass;  // the equilibrium's mass there, adding up to 1
    std::vector<long> bin_runs;     // runs whose current x lies in each bin
    std::vector<double> bin_mass;   // the equilibrium's mass there
    double tv_distance;             // between the runs' shares of the hills and their masses
};

// Runs of one case followed level by level.
struct population_study {
    study_case study;
    long runs;
    std::vector<hill> hills;
    std::vector<population_level> levels;
};

// Told now and then how far the two stages have come: the trials the runs have made, then the
// levels whose equilibrium is found.
struct population_progress {
    progress_report trials;
    std::function<void(std::int64_t levels_done)> levels;
};

// The runs of a case, run as study_runs runs them (the same on any number of threads), and
// the equilibrium of each of their levels, in `bins` (at least 1) equal parts of the interval.
// The case must be within population_fault's bounds, and the space that of its encoding.
population_study study_population(const tabulated_space& space, const study_case& study, int bins,
                                  const seed_range& runs, int jobs,
                                  const population_progress& progress = {});

// ---- A population split over workers, each with a share of its runs and of its levels

// The runs of `runs`, followed through every level, and the equilibrium of `levels`.
struct population_share {
    seed_range runs;
    share_range levels;
};

// The shares of `workers` workers: the runs split as split_runs splits them, and the levels
// likewise, as many shares as parts of the runs.
std::vector<population_share> split_population(const study_case& study, const seed_range& runs,
                                               int workers);

// What a share found: for every level, where its runs stood as the level ended (`hill_runs`,
// `bin_runs`); for its own levels, the equilibrium's mass (`hill_mass`, `bin_mass`, empty
// for the others). No level's distance yet: that takes the runs of every share.
struct population_part {
    std::vector<population_level> levels;
};

// A share's part, on the case's space as study_population takes it.
population_part study_population_share(const tabulated_space& space, const study_case& study,
                                       int bins, const population_share& share, int jobs,
                                       const population_progress& progress = {});

// The population that the parts of all of a case's shares add up to, `runs` runs on `hills`:
// the same, figure for figure, as study_population finds in one go.
population_study whole_population(const study_case& study, long runs, std::vector<hill> hills,
                                  const std::vector<population_part>& parts);

// Whether a population of the case's runs (study_population) stays within what it may cost.
std::optional<fault> population_fault(const study_case& study);

}  // namespace sa
