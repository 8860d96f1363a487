#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The menu program: its command line, its state, the menu and the dispatch of its options.

namespace sa {

// sa_demo as a whole: answers --help and --version, refuses any other argument, and with
// none runs a session seeded with `seed`. Returns the exit status.
int demo_main(const std::vector<std::string>& args, std::uint32_t seed);

// A whole session on standard input and output, every random draw from one engine seeded
// with `seed`; returns the exit status. A failed allocation prints the program's message
// and gives status 1.
int run_program(std::uint32_t seed);

// Prints the menu and reads choices until one lies in 0..2. End of input counts as 0,
// so a session ends when its input does.
int read_menu_choice();

}  // namespace sa
