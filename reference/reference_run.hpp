#pragma once

#include <vector>

#include "annealing/annealing.hpp"

// An annealing run written step by step in the plainest way: the vector is decoded with
// pow and the old solution evaluated again at every trial. The library's run must match it
// bit for bit, and the benchmark times it as the cost of the literal reading.

// The moves a level accepted: those that raised the value, and the others.
struct reference_level {
    int improving;
    int worsening;
};

// The run; each level's accepted moves are appended to `levels` when it is given.
sa::run_report reference_run(const sa::encoding& enc, const sa::cooling_schedule& schedule,
                             sa::solution& cur, sa::random_engine& engine,
                             std::vector<reference_level>* levels = nullptr);
