#pragma once

#include "annealing/annealing.hpp"

// A schedule that a test takes to meet every limit: one refused throws, failing that test.
inline sa::cooling_schedule schedule_of(double t0, double t_final, const sa::cooling& law,
                                        int trials_per_level,
                                        const sa::acceptance& rule = sa::demo_acceptance{}) {
    return *sa::cooling_schedule::make({t0, t_final}, law, trials_per_level, rule);
}
