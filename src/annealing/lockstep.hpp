#pragma once

#include <span>

#include "annealing/annealing.hpp"

// Many independent runs over one tabulated grid, for studies that want only where each run
// ends. A few runs advance together, trial by trial, in code whose path does not depend on
// the draws, so the processor overlaps their work instead of guessing at every acceptance.

namespace sa {

// One run of a group: its engine, from which its start was drawn, and that start going in;
// the best solution found coming out.
struct lockstep_run {
    random_engine engine;
    int start_d;     // decoded start
    float start_fo;  // its value, as the start solution carries it
    int best_d = 0;
    float best_fo = 0.0F;  // accumulated from the accepted changes, as anneal() reports it
};

// Anneals every run under `schedule`. Each makes the same draws and decisions as anneal()
// from its start with its engine, and so ends on the same best solution and value; only the
// engines are left further on, having drawn ahead. `space` must be tabulated.
void anneal_lockstep(const search_space& space, const schedule_params& schedule,
                     std::span<lockstep_run> runs);

}  // namespace sa
