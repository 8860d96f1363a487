#include "plan/plan.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

// A request planned into cases: what its lists combine to, within the caps, with the
// temperatures chosen for each grid and each run's cost checked.

namespace sa {

namespace {

template <typename T>
std::size_t count_or_one(const std::vector<T>& values) {
    return std::max<std::size_t>(values.size(), 1);
}

template <typename T>
T value_or(const std::vector<T>& values, std::size_t i, T fallback) {
    return values.empty() ? fallback : values[i];
}

std::vector<cooling> laws_or_default(const study_request& request) {
    return request.laws.empty()
               ? std::vector<cooling>{demo_schedule(request.landscape.grid()).law()}
               : request.laws;
}

// The temperatures chosen for one grid, where they are automatic.
struct grid_temperatures {
    std::optional<float> t0;
    std::optional<float> t_final;
};

// The sweep's axes, outermost first: bits, T0, final T, cooling, trials per level and the
// acceptance rule. A case is one value of each, so the cases are counted and made from the same
// lengths. A law's coolings are each alpha asked for, if it has a factor, with each L, if it has
// levels.
class sweep_axes {
  public:
    explicit sweep_axes(const study_request& request)
        : request_(request),
          laws_(laws_or_default(request)),
          coolings_(std::accumulate(
              laws_.begin(), laws_.end(), 0.0, [this](double sum, const cooling& law) {
                  return sum + static_cast<double>(alphas(law)) * static_cast<double>(levels(law));
              })) {}

    // In a double, which no list can overflow.
    double count() const {
        const study_request& r = request_;
        return static_cast<double>(count_or_one(r.bits)) * static_cast<double>(t0s()) *
               static_cast<double>(t_finals()) * coolings_ *
               static_cast<double>(count_or_one(r.trials)) *
               static_cast<double>(count_or_one(r.acceptances));
    }

    // Case `index` of count(), on a grid with those temperatures chosen for it, or why its
    // schedule is refused: a run too long is named with its grid.
    expected<study_case> at(std::size_t index, const std::vector<grid_temperatures>& chosen) const {
        const study_request& r = request_;
        const std::size_t acceptance_index = next_digit(index, count_or_one(r.acceptances));
        const std::size_t trials_index = next_digit(index, count_or_one(r.trials));
        const std::size_t cooling_index = next_digit(index, static_cast<std::size_t>(coolings_));
        const std::size_t t_final_index = next_digit(index, t_finals());
        const std::size_t t0_index = next_digit(index, t0s());
        const std::size_t bits_index = index;
        const int bits = value_or(r.bits, bits_index, r.landscape.grid().n_bits);
        const cooling_schedule demo = demo_schedule(r.landscape.grid(bits));
        const grid_temperatures& grid = chosen[bits_index];
        // The demo's constants are floats widened to double, so narrowing them loses nothing.
        const double t0 = grid.t0.value_or(value_or(r.t0, t0_index, static_cast<float>(demo.t0())));
        const double t_final = grid.t_final.value_or(
            value_or(r.t_final, t_final_index, static_cast<float>(demo.t_final())));
        const temperature_span span{t0, t_final};
        const expected<cooling_schedule> schedule =
            cooling_schedule::make(span, cooling_at(cooling_index, span, demo.law()),
                                   value_or(r.trials, trials_index, demo.trials_per_level()),
                                   value_or(r.acceptances, acceptance_index, demo.acceptance()));
        if (!schedule) {
            fault wrong = schedule.error();
            if (wrong.kind == fault_kind::run_too_long) {
                wrong.value = on_grid(wrong.value, bits);
            }
            return wrong;
        }
        return study_case{*schedule, bits, r.landscape};
    }

    std::size_t grids() const { return count_or_one(request_.bits); }

  private:
    static std::size_t next_digit(std::size_t& index, std::size_t base) {
        const std::size_t digit = index % base;
        index /= base;
        return digit;
    }

    std::size_t t0s() const { return request_.auto_t0 ? 1 : count_or_one(request_.t0); }
    std::size_t t_finals() const {
        return request_.auto_t_final ? 1 : count_or_one(request_.t_final);
    }
    std::size_t alphas(const cooling& law) const {
        return takes_alpha(law) ? count_or_one(request_.alpha) : 1;
    }
    std::size_t levels(const cooling& law) const {
        return takes_levels(law) ? count_or_one(request_.levels) : 1;
    }

    // Without a list of L, a law runs as many levels as the demo's law takes between the
    // schedule's temperatures.
    cooling cooling_at(std::size_t index, const temperature_span& between,
                       const cooling& demo_law) const {
        const study_request& r = request_;
        auto law = laws_.begin();
        for (; index >= alphas(*law) * levels(*law); ++law) {
            index -= alphas(*law) * levels(*law);
        }
        const std::size_t level_index = next_digit(index, levels(*law));
        const float alpha = value_or(r.alpha, index, static_cast<float>(alpha_of(demo_law)));
        int level_count = 0;
        if (takes_levels(*law)) {
            level_count = r.levels.empty() ? static_cast<int>(levels_between(demo_law, between))
                                           : r.levels[level_index];
        }
        return law_with(*law, takes_alpha(*law) ? alpha : 0.0, level_count);
    }

    const study_request& request_;
    std::vector<cooling> laws_;
    double coolings_ = 0.0;  // every law's alphas times its levels
};

// A list of alpha or of L that no law asked for takes.
std::optional<fault> unused_list(const study_request& request) {
    const std::vector<cooling> laws = laws_or_default(request);
    const auto none_takes = [&laws](bool (*has)(const cooling&)) {
        return std::none_of(laws.begin(), laws.end(), has);
    };
    if (!request.alpha.empty() && none_takes(takes_alpha)) {
        return fault{fault_kind::alpha_without_law, study_field::alpha, "", "",
                     listed(spelled(laws_taking(takes_alpha), &spelling::name), " or ")};
    }
    if (!request.levels.empty() && none_takes(takes_levels)) {
        return fault{fault_kind::levels_without_law, study_field::levels, "",
                     listed(spelled(laws_taking(takes_levels, false), &spelling::name), " or "),
                     listed(spelled(laws_taking(takes_levels), &spelling::title), " and ")};
    }
    return std::nullopt;
}

std::optional<fault> over_caps(const study_request& request, const study_caps& caps) {
    if (const double schedules = schedule_count(request);
        schedules > static_cast<double>(caps.schedules)) {
        return fault{fault_kind::too_many_schedules, std::nullopt, "", format("%.0f", schedules),
                     with_thousands(caps.schedules)};
    }
    if (request.runs > caps.runs) {
        const std::string runs = std::to_string(request.runs);
        return fault{fault_kind::too_many_runs, study_field::runs, runs, runs,
                     std::to_string(caps.runs)};
    }
    return std::nullopt;
}

// Why the landscape cannot be searched on a grid of `bits` digits: its interval is empty, its
// points are not distinct floats, or a value there is not finite.
std::optional<fault> grid_fault(const landscape& f, int bits) {
    const encoding grid = f.grid(bits);
    if (!(grid.x_max > grid.x_min)) {
        return fault{fault_kind::empty_interval, study_field::x_max, "", shortest(grid.x_max),
                     shortest(grid.x_min)};
    }
    // Every point but the ends lies below the widest end in size, where floats are `spacing`
    // apart at most: points further apart than that stay apart, and in order, once rounded.
    const float widest = std::max(std::fabs(grid.x_min), std::fabs(grid.x_max));
    const float below = std::nextafter(widest, 0.0F);
    const auto spacing = static_cast<double>(widest - below);
    const double step = (static_cast<double>(grid.x_max) - static_cast<double>(grid.x_min)) /
                        static_cast<double>(grid.d_max);
    if (!(step > spacing)) {
        return fault{fault_kind::grid_too_fine, std::nullopt, std::to_string(bits),
                     format("[%s, %s]", shortest(grid.x_min).c_str(), shortest(grid.x_max).c_str()),
                     ""};
    }
    if (const std::optional<float> x = f.first_not_finite(bits)) {
        return fault{fault_kind::not_finite_on_grid, study_field::landscape, f.name(), shortest(*x),
                     std::to_string(bits)};
    }
    return std::nullopt;
}

std::optional<fault> landscape_fault(const study_request& request) {
    for (std::size_t i = 0; i < count_or_one(request.bits); ++i) {
        const int bits = value_or(request.bits, i, request.landscape.grid().n_bits);
        if (std::optional<fault> wrong = grid_fault(request.landscape, bits)) {
            return wrong;
        }
    }
    return std::nullopt;
}

// The temperatures chosen for each grid, from one sample a grid drawn with the seed.
expected<std::vector<grid_temperatures>> choose_for_grids(
    const study_request& request, std::uint32_t seed,
    std::vector<automatic_temperatures>& automatic) {
    const sweep_axes axes(request);
    std::vector<grid_temperatures> chosen(axes.grids());
    if (!request.auto_t0 && !request.auto_t_final) {
        return chosen;
    }
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const int bits = value_or(request.bits, i, request.landscape.grid().n_bits);
        const automatic_temperatures grid = choose_temperatures(
            request.landscape, seed, {request.auto_t0, request.auto_t_final}, bits);
        if ((request.auto_t0 && !grid.t0) || (request.auto_t_final && !grid.t_final)) {
            return fault{fault_kind::no_worsening_move, std::nullopt, "", std::to_string(bits),
                         std::to_string(temperature_sample_moves)};
        }
        if (grid.t0) {
            chosen[i].t0 = static_cast<float>(grid.t0->temperature);
        }
        if (grid.t_final) {
            chosen[i].t_final = static_cast<float>(grid.t_final->temperature);
        }
        automatic.push_back(grid);
    }
    return chosen;
}

// The trials of every run of every case, summed in a double, which no plan can overflow.
template <typename TrialsOf>
double summed_trials(const study_plan& plan, long runs, TrialsOf trials_of) {
    return std::accumulate(plan.cases.begin(), plan.cases.end(), 0.0,
                           [runs, &trials_of](double sum, const study_case& study) {
                               return sum + static_cast<double>(trials_of(study.schedule)) *
                                                static_cast<double>(runs);
                           });
}

// Estimated first, as a run's length is: the levels are walked only where the estimates cannot
// place the plan against the cap, since walking 10^9 levels takes seconds.
std::optional<fault> over_trials_cap(const study_plan& plan, long runs, const study_caps& caps) {
    const double estimate = summed_trials(plan, runs, estimated_trials_per_run);
    const double error = summed_trials(plan, runs, trials_estimate_error);
    const auto cap = static_cast<double>(caps.trials);
    if (estimate + error <= cap) {
        return std::nullopt;
    }
    const double trials = estimate - error > cap
                              ? estimate
                              : summed_trials(plan, runs, [](const cooling_schedule& schedule) {
                                    return trials_per_run(schedule);
                                });
    if (trials <= cap) {
        return std::nullopt;
    }
    return fault{fault_kind::too_many_trials, std::nullopt, "", format("%.2g", trials),
                 format("%.2g", cap)};
}

}  // namespace

double schedule_count(const study_request& request) {
    return sweep_axes(request).count();
}

expected<study_plan> plan_study(const study_request& request, std::uint32_t seed,
                                const study_caps& caps) {
    if (std::optional<fault> wrong = unused_list(request)) {
        return *wrong;
    }
    if (std::optional<fault> wrong = over_caps(request, caps)) {
        return *wrong;
    }
    if (std::optional<fault> wrong = landscape_fault(request)) {
        return *wrong;
    }
    study_plan plan;
    const expected<std::vector<grid_temperatures>> chosen =
        choose_for_grids(request, seed, plan.automatic);
    if (!chosen) {
        return chosen.error();
    }
    const sweep_axes axes(request);
    const auto count = static_cast<std::size_t>(axes.count());
    for (std::size_t i = 0; i < count; ++i) {
        const expected<study_case> study = axes.at(i, *chosen);
        if (!study) {
            return study.error();
        }
        plan.cases.push_back(*study);
    }
    if (std::optional<fault> wrong = over_trials_cap(plan, request.runs, caps)) {
        return *wrong;
    }
    return plan;
}

std::optional<fault> run_range_fault(const study_request& request) {
    const std::uint64_t last = request.first_run + static_cast<std::uint64_t>(request.runs) - 1;
    if (last <= max_run_number) {
        return std::nullopt;
    }
    return fault{fault_kind::past_last_run, study_field::first_run,
                 std::to_string(request.first_run), std::to_string(last),
                 std::to_string(max_run_number)};
}

std::int64_t planned_trials(const study_plan& plan, long runs) {
    return std::accumulate(plan.cases.begin(), plan.cases.end(), std::int64_t{0},
                           [runs](std::int64_t trials, const study_case& study) {
                               return trials + trials_per_run(study.schedule) * runs;
                           });
}

}  // namespace sa
