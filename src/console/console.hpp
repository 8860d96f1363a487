#pragma once

#include <cstdint>
#include <ctime>

// The menu program: state, menu, and the dispatch of its three options.

// Runs a whole session on standard input and output with both pseudo-random sources
// seeded from `seed`; returns the exit status. `main` passes the current time.
int run_program(std::time_t seed);

// Prints the menu and reads choices until one lies in 0..2. End of input counts as 0,
// so a session ends when its input does.
int read_menu_choice();

// Menu option 2 with a solution present: anneals `cur` and leaves the best solution
// found in `cur` and its value in `fo`.
void annealing_option(int n_bits, int d_max, std::int32_t* cur, float& fo, float x_min,
                      float x_max);
