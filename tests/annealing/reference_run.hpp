#pragma once

#include <cstdint>

// An annealing run written step by step in the plainest way, re-decoding the vector and
// re-evaluating the old solution at every trial. The library's run must match it bit for bit.
struct reference_outcome {
    float start_x;
    float best_x;
    float best_fo;
    long analysed;
};

reference_outcome reference_run(int n, int d_max, std::int32_t* cur, float& fo, double alpha,
                                double t0, double t_final, int trials_per_level, float x_min,
                                float x_max);
