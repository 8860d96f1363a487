#pragma once

#include "annealing/annealing.hpp"

// An annealing run written step by step in the plainest way: the vector is decoded with
// pow and the old solution evaluated again at every trial. The library's run must match it
// bit for bit, and the benchmark times it as the cost of the literal reading.
sa::run_report reference_run(const sa::encoding& enc, const sa::schedule_params& schedule,
                             sa::solution& cur, sa::random_engine& engine);
