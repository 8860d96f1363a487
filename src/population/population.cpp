#include "population/population.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "text/text.hpp"

// Many runs followed level by level: where they stand, against the Boltzmann distribution of
// the grid at each level's temperature.

namespace sa {

namespace {

// The grid cut into parts, each in one bin and one hill's basin, in the order of d: a point's
// part is found by a search over them, and a level's equilibrium is summed part by part.
struct grid_part {
    int first;  // its first point; it runs to the next part's first
    int bin;
    int hill;
};

std::vector<grid_part> parts_of(const tabulated_space& space, const std::vector<hill>& hills,
                                int bins) {
    // The hills with points on the grid, by the first point of their basins.
    std::vector<std::pair<int, int>> basins;
    for (std::size_t h = 0; h < hills.size(); ++h) {
        if (hills[h].basin.first >= 0) {
            basins.emplace_back(hills[h].basin.first, static_cast<int>(h));
        }
    }
    std::sort(basins.begin(), basins.end());
    const encoding& enc = space.grid_encoding();
    std::vector<grid_part> parts;
    auto next_basin = basins.begin();
    int hill = 0;
    for (int d = 0; d <= enc.d_max; ++d) {
        for (; next_basin != basins.end() && next_basin->first <= d; ++next_basin) {
            hill = next_basin->second;
        }
        const grid_part part{d, bin_of(space.x_at(d), enc, bins), hill};
        if (parts.empty() || parts.back().bin != part.bin || parts.back().hill != part.hill) {
            parts.push_back(part);
        }
    }
    return parts;
}

std::size_t part_of(const std::vector<grid_part>& parts, int d) {
    const auto after =
        std::upper_bound(parts.begin(), parts.end(), d,
                         [](int point, const grid_part& part) { return point < part.first; });
    return static_cast<std::size_t>(after - parts.begin()) - 1;
}

// The runs counted in each part at the end of each level, added to from every thread: the sums
// do not depend on the order, so neither do they on the number of threads.
class position_counts {
  public:
    position_counts(std::int64_t levels, std::size_t parts)
        : parts_(parts), counts_(static_cast<std::size_t>(levels) * parts) {}

    void add(std::int64_t level, std::size_t part) {
        counts_[static_cast<std::size_t>(level) * parts_ + part].fetch_add(
            1, std::memory_order_relaxed);
    }
    long at(std::int64_t level, std::size_t part) const {
        return counts_[static_cast<std::size_t>(level) * parts_ + part].load(
            std::memory_order_relaxed);
    }

  private:
    std::size_t parts_;
    std::vector<std::atomic<long>> counts_;
};

// Points whose equilibrium is found between two reports of progress.
constexpr std::int64_t points_between_reports = std::int64_t{1} << 22U;

// Each level's equilibrium at its temperature, by part: the weight exp((f(d) - f_max) / T) of
// every point, summed part by part, the grid's highest point weighing 1 so that nothing
// overflows (the log-sum-exp way).
class equilibrium {
  public:
    explicit equilibrium(const tabulated_space& space) {
        const int d_max = space.grid_encoding().d_max;
        drops_.reserve(static_cast<std::size_t>(d_max) + 1);
        for (int d = 0; d <= d_max; ++d) {
            drops_.push_back(static_cast<double>(space.value_at(d).unrounded()));
        }
        const double highest = *std::max_element(drops_.begin(), drops_.end());
        std::transform(drops_.begin(), drops_.end(), drops_.begin(),
                       [highest](double f) { return f - highest; });
    }

    // The mass of each part at `temperature`, adding up to 1.
    std::vector<double> masses(const std::vector<grid_part>& parts, double temperature) const {
        const double inverse = 1.0 / temperature;
        std::vector<double> weights(parts.size(), 0.0);
        double total = 0.0;
        for (std::size_t p = 0; p < parts.size(); ++p) {
            const auto first = static_cast<std::size_t>(parts[p].first);
            const std::size_t end =
                p + 1 < parts.size() ? static_cast<std::size_t>(parts[p + 1].first) : drops_.size();
            double weight = 0.0;
            for (std::size_t d = first; d < end; ++d) {
                weight += boltzmann_exp(drops_[d] * inverse);
            }
            weights[p] = weight;
            total += weight;
        }
        std::transform(weights.begin(), weights.end(), weights.begin(),
                       [total](double weight) { return weight / total; });
        return weights;
    }

    std::int64_t points() const { return static_cast<std::int64_t>(drops_.size()); }

  private:
    std::vector<double> drops_;  // f(d) less the grid's highest f, in double
};

// Where the runs stood by hill and by bin as a level ended, from their counts by part.
population_level runs_at(const cooling_step& step, const std::vector<grid_part>& parts,
                         const position_counts& counts, std::size_t hills, int bins) {
    population_level level{step.level,
                           step.temperature,
                           std::vector<long>(hills, 0),
                           {},
                           std::vector<long>(static_cast<std::size_t>(bins), 0),
                           {},
                           0.0};
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const long runs = counts.at(step.level, p);
        level.hill_runs[static_cast<std::size_t>(parts[p].hill)] += runs;
        level.bin_runs[static_cast<std::size_t>(parts[p].bin)] += runs;
    }
    return level;
}

// The equilibrium's mass by hill and by bin, from its masses by part.
void add_masses(population_level& level, const std::vector<grid_part>& parts,
                const std::vector<double>& masses) {
    level.hill_mass.assign(level.hill_runs.size(), 0.0);
    level.bin_mass.assign(level.bin_runs.size(), 0.0);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        level.hill_mass[static_cast<std::size_t>(parts[p].hill)] += masses[p];
        level.bin_mass[static_cast<std::size_t>(parts[p].bin)] += masses[p];
    }
}

// The total variation distance between the runs' shares of the hills and their masses.
double distance_of(const population_level& level, long runs) {
    double distance = 0.0;
    for (std::size_t h = 0; h < level.hill_runs.size(); ++h) {
        const double runs_share =
            static_cast<double>(level.hill_runs[h]) / static_cast<double>(runs);
        distance += std::fabs(runs_share - level.hill_mass[h]);
    }
    return distance / 2.0;
}

// A share's part, on the space's hills found once by the caller.
population_part share_on_hills(const tabulated_space& space, const std::vector<hill>& hills,
                               const study_case& study, int bins, const population_share& share,
                               int jobs, const population_progress& progress) {
    const std::vector<grid_part> parts = parts_of(space, hills, bins);
    const std::int64_t levels = count_levels(study.schedule);
    position_counts counts(levels, parts.size());
    study_runs(space, study, share.runs, jobs, progress.trials,
               [&parts, &counts](std::int64_t level, std::span<const int> current) {
                   for (const int d : current) {
                       counts.add(level, part_of(parts, d));
                   }
               });
    // A pass over the grid for each level: only for a share that has levels.
    const std::unique_ptr<const equilibrium> grid =
        share.levels.count > 0 ? std::make_unique<const equilibrium>(space) : nullptr;
    const std::int64_t own_end = share.levels.first + share.levels.count;
    population_part found;
    found.levels.reserve(static_cast<std::size_t>(levels));
    std::int64_t unreported = 0;
    cooling_step step{0, study.schedule.t0()};
    for (; runs_level(study.schedule, step); step = next_level(study.schedule, step)) {
        population_level& level =
            found.levels.emplace_back(runs_at(step, parts, counts, hills.size(), bins));
        if (step.level < share.levels.first || step.level >= own_end) {
            continue;
        }
        add_masses(level, parts, grid->masses(parts, step.temperature));
        unreported += grid->points();
        if (progress.levels &&
            (unreported >= points_between_reports || step.level + 1 == own_end)) {
            progress.levels(step.level + 1 - share.levels.first);
            unreported = 0;
        }
    }
    return found;
}

}  // namespace

std::optional<fault> population_fault(const study_case& study) {
    const cooling_schedule& s = study.schedule;
    // Estimated first, as a run's length is: counting 10^9 levels would take seconds.
    const double estimate = estimated_trials_per_run(s) / s.trials_per_level();
    const bool estimated = estimate > 1.01 * max_population_levels;
    const double levels = estimated ? estimate : static_cast<double>(count_levels(s));
    const int points = study.grid().d_max + 1;
    if (levels > max_population_levels) {
        return fault{fault_kind::population_too_large, std::nullopt, describe_case(study),
                     format(estimated ? "about %.0f levels" : "%.0f levels", levels),
                     "10,000 levels"};
    }
    if (levels * points > max_population_points) {
        return fault{fault_kind::population_too_large, std::nullopt, describe_case(study),
                     format("%.0f levels of %d grid points", levels, points),
                     "10^9 grid points over all levels"};
    }
    return std::nullopt;
}

population_study study_population(const tabulated_space& space, const study_case& study, int bins,
                                  const seed_range& runs, int jobs,
                                  const population_progress& progress) {
    const population_share everything{runs, {0, count_levels(study.schedule)}};
    std::vector<hill> hills = hills_of(space);
    population_part found = share_on_hills(space, hills, study, bins, everything, jobs, progress);
    return whole_population(study, runs.count, std::move(hills), {std::move(found)});
}

std::vector<population_share> split_population(const study_case& study, const seed_range& runs,
                                               int workers) {
    const std::vector<seed_range> run_parts = split_runs(runs, workers);
    const std::int64_t levels = count_levels(study.schedule);
    const std::vector<share_range> level_parts =
        even_shares(levels, static_cast<int>(run_parts.size()));
    std::vector<population_share> shares;
    for (std::size_t i = 0; i < run_parts.size(); ++i) {
        shares.push_back(
            {run_parts[i], i < level_parts.size() ? level_parts[i] : share_range{levels, 0}});
    }
    return shares;
}

population_part study_population_share(const tabulated_space& space, const study_case& study,
                                       int bins, const population_share& share, int jobs,
                                       const population_progress& progress) {
    return share_on_hills(space, hills_of(space), study, bins, share, jobs, progress);
}

population_study whole_population(const study_case& study, long runs, std::vector<hill> hills,
                                  const std::vector<population_part>& parts) {
    population_study population{study, runs, std::move(hills), parts.front().levels};
    for (std::size_t i = 1; i < parts.size(); ++i) {
        for (std::size_t l = 0; l < population.levels.size(); ++l) {
            population_level& level = population.levels[l];
            const population_level& added = parts[i].levels[l];
            std::transform(level.hill_runs.begin(), level.hill_runs.end(), added.hill_runs.begin(),
                           level.hill_runs.begin(), std::plus<>());
            std::transform(level.bin_runs.begin(), level.bin_runs.end(), added.bin_runs.begin(),
                           level.bin_runs.begin(), std::plus<>());
            if (!added.hill_mass.empty()) {
                level.hill_mass = added.hill_mass;
                level.bin_mass = added.bin_mass;
            }
        }
    }
    for (population_level& level : population.levels) {
        level.tv_distance = distance_of(level, runs);
    }
    return population;
}

}  // namespace sa
