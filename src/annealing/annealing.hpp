#pragma once

#include <cstdint>
#include <functional>

// Simulated annealing over bit vectors: single-bit-flip moves, geometric cooling
// and a fixed number of trials at each temperature level.

// What one run hands back for its report.
struct annealing_outcome {
    float start_x;  // x of the solution the run started from
    float best_x;   // x of the best solution found
    float best_fo;  // its value, accumulated from the accepted changes
    long analysed;  // trial solutions analysed: levels * trials_per_level
};

// The course of one temperature level, for observers that trace a run.
struct level_summary {
    int level;           // counted from 0
    double temperature;  // T during the level
    int improving;       // accepted moves that raised the value
    int worsening;       // accepted moves that did not
    int trials;          // moves tried
    float x;             // x of the current solution after the level
    float fo;            // its accumulated value
    float best_fo;       // the best accumulated value so far
};
using level_observer = std::function<void(const level_summary&)>;

// Performs one run on `cur` and `fo`, printing and reading nothing. On return `cur`
// holds the best solution found and `fo` its accumulated value. `observe`, if given,
// is called after every temperature level.
annealing_outcome anneal(int n, int d_max, std::int32_t* cur, float& fo, double alpha, double t0,
                         double t_final, int trials_per_level, float x_min, float x_max,
                         const level_observer& observe = nullptr);

// The same run, with the starting line and the report printed to standard output;
// afterwards it consumes one character of standard input.
void simulated_annealing(int n, int d_max, std::int32_t* cur, float& fo, double alpha, double t0,
                         double t_final, int trials_per_level, float x_min, float x_max);

// A pseudo-random real in [a, b) on a grid of 10000 steps, drawn from std::rand();
// a itself, without a draw, when a equals b.
long double random_uniform(double a, double b);
