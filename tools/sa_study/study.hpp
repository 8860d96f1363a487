#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "annealing/annealing.hpp"

// Many annealing runs of the menu program's kind, and what they add up to.

// The problem and the schedule of the menu program.
struct study_problem {
    sa::encoding enc = sa::encoding_for(sa::demo_problem);
    sa::schedule_params schedule = sa::demo_schedule(enc);
    float x_min = enc.x_min;
    float x_max = enc.x_max;
    int d_max = enc.d_max;

    float x_at(int d) const;
};

// The best grid point, found by evaluating every one.
struct grid_optimum {
    int d;
    float x;
    long double value;
    double seconds;  // what the scan cost
};
grid_optimum scan_grid(const study_problem& problem);

// Decoded values first..last of the peak that d lies on: from its top down to the valleys
// on either side, which it shares with the neighbouring peaks.
struct peak_range {
    int first;
    int last;
    bool contains(int d) const { return first <= d && d <= last; }
};
peak_range peak_around(const study_problem& problem, int d);

// A random initial solution, drawn as menu option 1 draws it, and its value.
struct random_start {
    sa::solution cur;
    float x;
};
random_start draw_start(const study_problem& problem, sa::random_engine& engine);

// Anneals the start in place with the problem's schedule.
sa::run_report anneal_start(const study_problem& problem, random_start& start,
                            sa::random_engine& engine, const sa::level_observer& observe = {});

// One run from a random initial solution.
struct run_record {
    int best_d;
    float best_x;
    float best_fo;           // as reported: accumulated from the accepted changes
    long double true_value;  // the objective of best_x
    double seconds;
};
run_record study_run(const study_problem& problem, sa::random_engine& engine);

struct study_summary {
    int runs = 0;
    double exact_share = 0.0;        // best is the grid optimum itself
    double global_peak_share = 0.0;  // best lies on the optimum's peak
    double second_peak_share = 0.0;  // best is one of the second peak's two top points
    double mean_best = 0.0;
    float worst_best = 0.0F;
    double mean_gap = 0.0;  // |reported best - f(best x)|
    double max_gap = 0.0;
    double median_seconds = 0.0;
};
study_summary summarize(const std::vector<run_record>& runs, const grid_optimum& optimum,
                        const peak_range& global_peak, const peak_range& second_peak);

double median(std::vector<double> values);
